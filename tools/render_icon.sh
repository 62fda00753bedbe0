#!/usr/bin/env bash
# Renders the 48 px icon from the SVG. The PNG is committed, so only whoever changes the SVG
# runs this (rsvg-convert is in librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../share/icons"
rsvg-convert -w 48 -h 48 qlnx.svg -o qlnx-48.png
