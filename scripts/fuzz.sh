#!/usr/bin/env bash
# Builds the project file reader's fuzzer with clang (in build-fuzz, apart
# from the ordinary build) and runs it for the given number of seconds
# (default 60) on seeds written by the program's own writer plus what
# earlier runs found. Anything that crashes, leaks or hangs is written to
# build-fuzz/findings/; make it a fixture under tests/model/fuzz-findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
RUN_SECONDS="${1:-60}"
BUILD_DIR="${VORKALO_FUZZ_BUILD_DIR:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DVORKALO_FUZZ=ON \
  -DVORKALO_BUILD_TESTS=OFF -DVORKALO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j "${VORKALO_JOBS:-2}" --target fuzz_project_reader fuzz_make_corpus
mkdir -p "$BUILD_DIR/corpus" "$BUILD_DIR/findings"
"$BUILD_DIR/bin/fuzz_make_corpus" "$BUILD_DIR/seeds"
# Fixtures of earlier findings are seeds too.
cp -n tests/model/fuzz-findings/*.mpp "$BUILD_DIR/seeds/" 2>/dev/null || true
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
exec "$BUILD_DIR/bin/fuzz_project_reader" -max_total_time="$RUN_SECONDS" -max_len=131072 -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix="$BUILD_DIR/findings/" -print_final_stats=1 \
  "$BUILD_DIR/corpus" "$BUILD_DIR/seeds"
