#!/usr/bin/env bash
# Installs what is missing, builds, and starts what can be run yet.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh
build=${QLNX_BUILD_DIR:-build}
cat <<MSG
Built into $build/.
The player's window does not exist yet, so there is nothing to start.
What runs today is the test suite: ./test.sh
MSG
