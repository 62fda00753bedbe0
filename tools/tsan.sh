#!/usr/bin/env bash
# Builds the tests of the code that runs threads (the drive monitor, the playback engine, the
# CD device contract and the playback service) with clang and ThreadSanitizer into build-tsan/
# (or $QLNX_TSAN_BUILD_DIR) and runs them; any data race fails. Qt itself is not instrumented,
# so tools/tsan.supp names the reports that come from inside Qt only.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ccache.sh
tools/deps.sh clang libclang-rt-14-dev
build=${QLNX_TSAN_BUILD_DIR:-build-tsan}
tests=(tst_drivemonitor tst_playbackengine tst_ringbuffer tst_cddevicecontract tst_playbackservice)
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -g1" \
    -DQLNX_TSAN=ON -DQLNX_WERROR="${QLNX_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${tests[@]}"
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp"
regex=$(IFS='|'; echo "^(${tests[*]})\$")
ctest --test-dir "$build" --output-on-failure -R "$regex"
