#!/usr/bin/env bash
# Builds everything with clang, AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/
# (or $QLNX_ASAN_BUILD_DIR) and runs the whole test suite under them; any report fails. The
# same build holds the fuzz targets as libFuzzer programs (tools/fuzz.sh runs them), so CI
# builds once for both.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ccache.sh
tools/deps.sh clang libclang-rt-14-dev
build=${QLNX_ASAN_BUILD_DIR:-build-asan}
# -O1 and line tables only: a quicker build, and reports still name files and lines.
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -g1" \
    -DQLNX_FUZZ=ON -DQLNX_WERROR="${QLNX_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
