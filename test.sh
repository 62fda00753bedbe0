#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${QLNX_BUILD_DIR:-build}" --output-on-failure -j"$(nproc)"
