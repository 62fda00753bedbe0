#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo disc, and starts the player.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh
build=${QLNX_BUILD_DIR:-build}
# The demo disc image, its disc data file, and (only when there is none yet) a settings file
# that lists the image as the first virtual drive, all in the program's directory. A real CD
# drive, when there is one, comes first in the drive list and is probed first.
"$build/bin/qlnx_demodisc" "$build/bin"
exec "$build/bin/qlnx" "$@"
