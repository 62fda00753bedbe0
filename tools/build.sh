#!/usr/bin/env bash
# Configures and builds into build/ (or $QLNX_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ccache.sh
build=${QLNX_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLNX_WERROR="${QLNX_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)"
