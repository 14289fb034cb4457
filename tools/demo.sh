#!/bin/sh
# Shows Tarvex doing its job: a demonstration setup under the build folder, the real program on
# the virtual scanner's pseudo-terminal, a short script of scans, then the work list and the
# journal. Usage: tools/demo.sh BUILD_FOLDER
set -e
build=$(cd "${1:-build}" && pwd)
. "$(dirname "$0")/demo-common.sh"
demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/config/tarvex" "$demo/data/tarvex"
drive="$demo/data/tarvex/drive_c"
mkdir -p "$drive/PRODUCT" "$drive/LISTS" "$drive/CSV" "$drive/OUT"

# Programs of both dialects, a CSV companion and a list file.
printf 'ZEM 2.1\r\nC=Front panel, left\r\nUN LX=600 LY=400 LZ=20\r\nG0 X0 Y0\r\n' >"$drive/PRODUCT/PANEL1.CNC"
printf 'G71 X1200 Y300 Z18\r\n(SHELF 7)\r\nG0 X0 Y0\r\n' >"$drive/PRODUCT/SHELF7.CNC"
printf 'SHELF7;1200;300;18;oak\r\n' >"$drive/CSV/SHELF7.CSV"
printf '; a whole job at once\r\n#161=DOOR1.CNC;#164=1;#171=1;#284=0;#280=;#165=1;#168=700;#169=500;#170=20;#282=;#283=;\r\n' >"$drive/LISTS/JOB7.LST"
printf 'G71 X800 Y600 Z25\r\n(PACKED FROM A 2D BARCODE)\r\nG0 X0 Y0\r\nG1 X800\r\nG1 Y600\r\nM30\r\n' >"$demo/packed.cnc"

cat >"$demo/config/tarvex/ZEM.INI" <<INI
[GESTBCOD]
GCodePath=C:\\PRODUCT\\
ListPath=C:\\LISTS\\
CSVInPath=C:\\CSV
CSVOutPath=C:\\OUT\\Tarvex.csv
CommPort=1
CommPollTime=100
AutoStart=0
AutoClear=0
FieldCode_SFN=N
FieldCode_SFM=M
FieldCode_DFN=A1
[Ports]
COM1=$demo/scanner
INI

demo_environment "$demo"

# The scanner waits until Tarvex has its port open, and stays until Tarvex is done.
"$build/tools/tarvex-scanner" --link "$demo/scanner" --wait 3000 --gap 2500 --linger 4000 \
  --send-text '%01JOB7' \
  --send-text '%12PANEL1 N X %' --send-text '%22600 400 %' \
  --send-text 'SHELF7' \
  --program 'DEMO2D.CNC^X500^Y300^Z18^UN' --send-text 'G71 X500 Y300 Z18\r\n(2D DEMO)\r\nG0 X0 Y0\r\nM30' \
  --program 'PACKED.CNC^UN' --compress --send-file "$demo/packed.cnc" \
  </dev/null >"$demo/scanner.out" 2>&1 &
scanner=$!
demo_start_tarvex "$demo" "$build"
wait $scanner || true
kill $tarvex 2>/dev/null || true
wait $tarvex 2>/dev/null || true

data="$demo/data/tarvex"
echo
echo "== What the scanner got back"
grep -a 'ACK' "$demo/scanner.out" || echo "(nothing)"
echo
echo "== The work list ($data/worklist.lst)"
cat "$data/worklist.lst" 2>/dev/null || echo "(empty)"
echo
echo "== The journal of the list manager ($data/listmanager.log)"
cat "$data/listmanager.log"
echo
echo "== Files Tarvex wrote"
ls -l "$drive/PRODUCT" "$drive/OUT"
echo
echo "The log is $data/tarvex.log; the whole setup is under $demo."
