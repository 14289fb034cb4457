#!/bin/sh
# check-install.sh CMAKE BUILD_DIR PREFIX WITH_SCANNER
# Runs `cmake --install BUILD_DIR --prefix PREFIX` and checks the installed files.
set -u
cmake_cmd=$1 build=$2 prefix=$3 with_scanner=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$prefix"
if ! "$cmake_cmd" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
  cat "$prefix.log"
  echo "FAIL: cmake --install"
  exit 1
fi

expect_file() { [ -f "$prefix/$1" ] || fail "missing $1"; }
expect_exe() { [ -x "$prefix/$1" ] && [ -f "$prefix/$1" ] || fail "missing executable $1"; }

expect_exe bin/tarvex
expect_file share/applications/tarvex.desktop
expect_file lib/systemd/user/tarvex.service
[ -f "$prefix/lib/systemd/user/tarvex.service" ] && ! grep -qx "ExecStart=tarvex --no-window" "$prefix/lib/systemd/user/tarvex.service" &&
  fail "tarvex.service does not run tarvex --no-window"
expect_file share/icons/hicolor/scalable/apps/tarvex.svg
expect_file share/man/man1/tarvex.1.gz
expect_file share/doc/tarvex/ZEM.INI.sample
expect_file share/doc/tarvex/copyright
expect_file share/doc/tarvex/changelog.Debian.gz
if [ "$with_scanner" = 1 ]; then
  expect_exe bin/tarvex-scanner
  expect_file share/man/man1/tarvex-scanner.1.gz
fi

# Compressed as Debian wants them: gzip -9n leaves no name or time stamp in the header, and the
# best compression shows as flag byte 2 in byte 8.
for gz in "$prefix"/share/man/man1/*.gz "$prefix"/share/doc/tarvex/*.gz; do
  [ -f "$gz" ] || continue
  gzip -t "$gz" || fail "$(basename "$gz") is not gzip"
  header=$(od -An -tx1 -N10 "$gz" | tr -d ' ')
  case $header in
    1f8b0800000000000203) ;;
    *) fail "$(basename "$gz") not compressed with gzip -9n (header $header)" ;;
  esac
done
copyright=$prefix/share/doc/tarvex/copyright
if [ -f "$copyright" ]; then
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" ||
    fail "copyright is not machine-readable"
  grep -qx 'License: GPL-3+' "$copyright" || fail "copyright does not name the license"
fi

# Nothing of the test suite is installed.
if find "$prefix" -name '*test*' | grep -q .; then
  fail "test files installed: $(find "$prefix" -name '*test*' | tr '\n' ' ')"
fi

desktop=$prefix/share/applications/tarvex.desktop
if [ -f "$desktop" ]; then
  grep -qx 'Exec=tarvex' "$desktop" || fail "tarvex.desktop does not run tarvex"
  grep -qx 'Icon=tarvex' "$desktop" || fail "tarvex.desktop does not name the tarvex icon"
  grep -qx 'Categories=Utility;Engineering;' "$desktop" || fail "tarvex.desktop categories"
  if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
  else
    echo "note: desktop-file-validate not found, menu entry not validated"
  fi
fi

svg=$prefix/share/icons/hicolor/scalable/apps/tarvex.svg
[ -f "$svg" ] && { grep -q '<svg' "$svg" && grep -q '</svg>' "$svg"; } || fail "tarvex.svg is not an SVG"

# The manual pages format without warnings, and tarvex(1) names every key and switch.
for page in "$prefix"/share/man/man1/*.1.gz; do
  [ -f "$page" ] || continue
  if command -v groff >/dev/null 2>&1; then
    warnings=$(gzip -dc "$page" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  fi
done
page=$(mktemp)
gzip -dc "$prefix/share/man/man1/tarvex.1.gz" >"$page" 2>/dev/null || rm -f "$page"
if [ -f "$page" ]; then
  for word in NOAPP UNATTENDED KEEPCSV "KEEP CSV" GESTBCOD Ports Drives \
      Settings CommPort CommPollTime GCodePath ListPath CSVInPath CSVOutPath AutoStart Overwrite \
      AutoClear FieldCode_ FieldFlag_ SFN SFM SFS SFA SFT SFR BFN BFM BFS BFA BFT BFR \
      FFN FFM FFS FFA FFT FFR DFN HalfLimitX HalfLimitY AutoSelSetting PNameMSel CommentMSel \
      PNameMirrorLR PNameMirrorCPos PNameMirrorText PNameNandMLR PNameNandMCPos PNameNandMText \
      CommentMirrorLR CommentMirrorCPos CommentMirrorText CommentNandMLR CommentNandMCPos \
      CommentNandMText Exclusion tarvex.log listmanager.log worklist.lst drive_x dialout \
      ListManager Server LinuxCNC Host Port ConnectPassword EnablePassword ProgramFolder Setpoint; do
    grep -q -- "$word" "$page" || fail "tarvex.1 does not mention $word"
  done
  for option in '\-\-help' '\-\-version'; do
    grep -qF -- "$option" "$page" || fail "tarvex.1 does not mention $option"
  done
fi
rm -f "$page"

# The sample configuration holds every key the program reads.
sample=$prefix/share/doc/tarvex/ZEM.INI.sample
if [ -f "$sample" ]; then
  for key in Settings CommPort CommPollTime ScanSuffix GCodePath ListPath CSVInPath CSVOutPath AutoStart \
      Overwrite AutoClear HalfLimitX HalfLimitY AutoSelSetting PNameMSel CommentMSel \
      PNameMirrorLR PNameMirrorCPos PNameMirrorText PNameNandMLR PNameNandMCPos PNameNandMText \
      CommentMirrorLR CommentMirrorCPos CommentMirrorText CommentNandMLR CommentNandMCPos \
      CommentNandMText Exclusion COM1 Server Host Port ConnectPassword EnablePassword ProgramFolder Setpoint; do
    grep -q "^$key=" "$sample" || fail "ZEM.INI.sample lacks $key"
  done
  for field in SFN SFM SFS SFA SFT SFR BFN BFM BFS BFA BFT BFR FFN FFM FFS FFA FFT FFR DFN; do
    grep -q "^FieldCode_$field=" "$sample" || fail "ZEM.INI.sample lacks FieldCode_$field"
    grep -q "^FieldFlag_$field=" "$sample" || fail "ZEM.INI.sample lacks FieldFlag_$field"
  done
  for section in GESTBCOD Ports Drives ListManager LinuxCNC; do
    grep -q "^\[$section\]" "$sample" || fail "ZEM.INI.sample lacks [$section]"
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "installed files in place under $prefix"
