#!/usr/bin/env bash
# Installs what is missing, builds, makes the demo disc, and starts what can be run yet.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh
build=${QLNX_BUILD_DIR:-build}
# The demo disc image, its disc data file, and (only when there is none yet) a settings file
# that lists the image as the first virtual drive, all in the program's directory.
"$build/bin/qlnx_demodisc" "$build/bin"
cat <<MSG

Built into $build/.
The player's window does not exist yet, so there is nothing to start. What runs today:
  $build/bin/qlnxcd                           the drives as the player sees them
  $build/bin/qlnxcd toc qlnx-demo.cue         the demo disc's tracks
  $build/bin/qlnxcd play qlnx-demo.cue 1 2    plays tracks 1 to 2 of the demo disc
  $build/bin/qlnx_bench_playback              the playback benchmark (about 35 s)
  ./test.sh                                   the test suite
MSG
