#!/usr/bin/env bash
# Renders PNGs of the main window (empty, with a programmed sequence on a
# simulated stimulator, and grown with the sequence preview showing a set
# that crosses the travel), the preview zoomed to single cycles, File > Open
# at its first size, the set editor in both wordings, the about box, the
# settings dialogs, the toolbar pictures enlarged, Access Test Data in the
# middle of a download and after Cancel, Move to Position during a move and
# after Stop, and Load Cell Calibration with its status line, for review:
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
