#!/usr/bin/env bash
# Renders PNGs for review: the main window disconnected and with a programmed
# sequence on a simulated stimulator (its preview showing a set that crosses
# the travel), the set editor, the about box, the Disable Wells and Force
# Control dialogs, Access Test Data in the middle of a download, Move to
# Position during a move and Load Cell Calibration:
#   screenshots.sh [BUILD_FOLDER]
# The pictures land in BUILD_FOLDER/screenshots (default build-gui).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:-build-gui}"
if [ ! -f "$root/$folder/build.ninja" ]; then
    cmake -S "$root" -B "$root/$folder" -G Ninja >/dev/null
fi
cmake --build "$root/$folder" --target kyrvana_screenshots
QT_QPA_PLATFORM=offscreen "$root/$folder/tests/gui/kyrvana_screenshots" "$root/$folder/screenshots"
