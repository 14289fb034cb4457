#!/bin/sh
# Writes PNGs of the main window (with a history of mixed scans, and one of normal, doubtful and
# refused rows), of each tab of the Automatic Field Selection Setup dialog, of the other dialogs,
# the log viewer, the Production window (a sample day) and the operator's guide,
# taken on a virtual 1280 x 1024 display at 100 % and at 200 % (where the windows have 640 x 512
# to fit in), into FOLDER/100 and FOLDER/200 (default build/screenshots).
# A window that does not fit the screen is named and makes the script fail.
#   sh tools/screenshots.sh [FOLDER]
set -e
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
OUT=${1:-$BUILD/screenshots}
SCALES=${SCALES:-"1 2"}

# The virtual display and its authority tool, only for this script.
TARVEX_EXTRA_PACKAGES="xvfb xauth" sh tools/install-deps.sh
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target tarvex-screenshots

status=0
for scale in $SCALES; do
  folder=$OUT/$((scale * 100))
  mkdir -p "$folder"
  QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$BUILD/tools/tarvex-screenshots" "$folder" || status=1
done
echo "Screenshots in $OUT"
exit $status
