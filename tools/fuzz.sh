#!/usr/bin/env bash
# Builds the fuzz targets with clang as libFuzzer programs (with AddressSanitizer and
# UndefinedBehaviorSanitizer) in the sanitizer build, build-asan/ (or $QLNX_FUZZ_BUILD_DIR),
# and runs each for the given number of seconds (default 30), starting from its seed corpus.
# Inputs it finds go to build-asan/corpus/<target>/; a crashing input is written as
# build-asan/crash-<target>-*. Any crash or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ccache.sh
seconds=${1:-30}
tools/deps.sh clang libclang-rt-14-dev
build=${QLNX_FUZZ_BUILD_DIR:-build-asan}
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -g1" \
    -DQLNX_FUZZ=ON -DQLNX_WERROR="${QLNX_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_all
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
status=0
pids=()
for target in tests/fuzz/corpus/*/; do
    name=$(basename "$target")
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    cp -n "$target"* "$corpus/" 2>/dev/null || true
    "$build/bin/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/crash-$name-" "$corpus" >"$build/fuzz_$name.log" 2>&1 &
    pids+=("$!:$name")
    # As many at once as there are cores.
    if ((${#pids[@]} >= $(nproc))); then
        for p in "${pids[@]}"; do
            wait "${p%%:*}" || { echo "fuzz_${p#*:}: FAILED (see $build/fuzz_${p#*:}.log)"; status=1; }
        done
        pids=()
    fi
done
for p in "${pids[@]}"; do
    wait "${p%%:*}" || { echo "fuzz_${p#*:}: FAILED (see $build/fuzz_${p#*:}.log)"; status=1; }
done
for log in "$build"/fuzz_*.log; do
    echo "$(basename "$log" .log): $(grep -m1 -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" || echo 'no summary')"
done
exit "$status"
