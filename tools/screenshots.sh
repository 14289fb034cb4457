#!/bin/sh
# Writes PNGs of the main window, of each tab of the Automatic Field Selection Setup dialog and of
# the other dialogs into a folder (default build/screenshots), taken on a virtual X display.
#   sh tools/screenshots.sh [FOLDER]
set -e
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
OUT=${1:-$BUILD/screenshots}

# The virtual display and its authority tool, only for this script.
TARVEX_EXTRA_PACKAGES="xvfb xauth" sh tools/install-deps.sh
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target tarvex-screenshots

mkdir -p "$OUT"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/tools/tarvex-screenshots" "$OUT"
echo "Screenshots in $OUT"
