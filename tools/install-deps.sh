#!/bin/sh
# Installs the Debian packages Tarvex needs to build, run and test, when any is missing.
#   tools/install-deps.sh [linuxcnc | test]
# "linuxcnc" adds LinuxCNC for the tests and the demonstration that run a work list on its
# headless simulation (only its hard dependencies: no real-time kernel, no display needed);
# "test" adds that and PostgreSQL, whose throw-away servers the tests start.
set -e
PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev qt6-serialport-dev qt6-multimedia-dev qt6-qpa-plugins \
qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite libqt6sql6-psql zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev \
libqt6svg6 dpkg-dev desktop-file-utils"
[ "$1" = linuxcnc ] && PACKAGES="$PACKAGES linuxcnc-uspace"
[ "$1" = test ] && PACKAGES="$PACKAGES linuxcnc-uspace postgresql"
[ -n "$TARVEX_EXTRA_PACKAGES" ] && PACKAGES="$PACKAGES $TARVEX_EXTRA_PACKAGES"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
