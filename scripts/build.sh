#!/usr/bin/env bash
# Configures and builds Vorkalo in ./build (or $VORKALO_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${VORKALO_BUILD_DIR:-build}"
JOBS="${VORKALO_JOBS:-$(nproc 2>/dev/null || echo 2)}"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${VORKALO_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS" "$@"
