#!/usr/bin/env bash
# Installs what Vorkalo needs, builds it (which also puts the starter tile
# library beside the program when no library is there yet) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
exec "${VORKALO_BUILD_DIR:-build}/bin/vorkalo" "$@"
