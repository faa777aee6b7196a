#!/usr/bin/env bash
# Installs what Vorkalo needs, builds it and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
exec "${VORKALO_BUILD_DIR:-build}/bin/vorkalo" "$@"
