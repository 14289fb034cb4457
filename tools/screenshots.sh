#!/bin/sh
# Writes PNGs of the main window (with a history of mixed scans), of each tab of the Automatic
# Field Selection Setup dialog, of the other dialogs, the log viewer and the operator's guide into
# a folder (default build/screenshots), taken on a virtual 1280x1024 X display at 100 % and at
# 200 % scaling (subfolders 100 and 200).
#   sh tools/screenshots.sh [FOLDER]
set -e
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
OUT=${1:-$BUILD/screenshots}

# The virtual display and its authority tool, only for this script.
TARVEX_EXTRA_PACKAGES="xvfb xauth" sh tools/install-deps.sh
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target tarvex-screenshots

for scale in 100 200; do
  mkdir -p "$OUT/$scale"
  QT_SCALE_FACTOR=$(echo "$scale" | sed 's/00$//') QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD/tools/tarvex-screenshots" "$OUT/$scale"
done
echo "Screenshots in $OUT/100 and $OUT/200"
