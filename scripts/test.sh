#!/usr/bin/env bash
# Installs what Vorkalo needs, builds it and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${VORKALO_BUILD_DIR:-build}" --output-on-failure -j "${VORKALO_JOBS:-2}"
