#!/bin/sh
# Shows a scanned work list cut by LinuxCNC: the headless LinuxCNC simulation of
# tests/linuxcnc/sim, Tarvex with [ListManager] Server=LinuxCNC on the virtual scanner, three
# labels and "%START%"; then the work list with each line's state, what each program recorded,
# where the machine stands, and the timing records. Usage: tools/demo-linuxcnc.sh BUILD_FOLDER
set -e
build=$(cd "${1:-build}" && pwd)
. "$(dirname "$0")/demo-common.sh"
here=$(cd "$(dirname "$0")/.." && pwd)
sim="$here/tests/linuxcnc"
demo="$build/demo-linuxcnc"
rm -rf "$demo"
mkdir -p "$demo/config/tarvex" "$demo/data/tarvex" "$demo/programs"

echo "Starting the LinuxCNC simulation (headless) ..."
eval "$(TARVEX_SIM_OWNER_PID=$$ sh "$sim/start-sim.sh")"
tarvex=""
scanner=""
cleanup() {
  [ -n "$tarvex" ] && kill "$tarvex" 2>/dev/null
  [ -n "$scanner" ] && kill "$scanner" 2>/dev/null
  sh "$sim/stop-sim.sh" "$TARVEX_SIM_RUN" || true
}
trap cleanup EXIT INT TERM HUP

# Each program logs the parameters it was given, cuts a rectangle of the piece's size (a tenth,
# to stay on the simulated table) and logs where the machine stands when its moves are done.
runs="$demo/runs.log"
for piece in "PANEL1 600 400 20" "SHELF7 1200 300 18" "DOOR2 700 500 20"; do
  set -- $piece
  name=$1
  cat >"$demo/programs/$name.CNC" <<NGC
(ZEM)
(C=$name, cut by the simulated LinuxCNC)
(UN LX=$2 LY=$3 LZ=$4)
(LOGAPPEND,$runs)
(LOG,$name: pieces #164, field #171, mirror #284, size #168 x #169 x #170)
G21 G90 G17
G0 X0 Y0 Z5
G1 Z[-#170/10] F3000
G1 X[#168/10] F6000
G1 Y[#169/10]
G1 X0
G1 Y0
G0 Z5
M66 E0 L0
(LOG,$name: done at X#5420 Y#5421 Z#5422)
(LOGCLOSE)
M2
NGC
done

cat >"$demo/config/tarvex/ZEM.INI" <<INI
[GESTBCOD]
GCodePath=$demo/programs
CommPort=1
CommPollTime=100
AutoStart=0
AutoClear=0
[Ports]
COM1=$demo/scanner
[ListManager]
Server=LinuxCNC
[LinuxCNC]
Host=127.0.0.1
Port=$TARVEX_SIM_PORT
INI

demo_environment "$demo"

"$build/tools/tarvex-scanner" --link "$demo/scanner" --wait 3000 --gap 600 --linger 60000 \
  --send-text '%12PANEL1 N X %' --send-text '%22600 400 20 %' \
  --send-text '%12SHELF7 N X %' --send-text '%221200 300 18 %' \
  --send-text '%12DOOR2 N X %' --send-text '%22700 500 20 %' \
  --send-text '%START%' \
  </dev/null >"$demo/scanner.out" 2>&1 &
scanner=$!
demo_start_tarvex "$demo" "$build" ", LinuxCNC on port $TARVEX_SIM_PORT"

log="$demo/data/tarvex/tarvex.log"
i=0
until grep -q -e "The work list has run" -e "The run has stopped" "$log" 2>/dev/null; do
  i=$((i + 1))
  [ $i -le 600 ] || { echo "the run did not end within 60 s"; break; }
  sleep 0.1
done
position=$(/usr/bin/python3 "$sim/rsh.py" -p "$TARVEX_SIM_PORT" --look "get abs_act_pos" || true)

echo
echo "== The work list and each line's state ($demo/data/tarvex/worklist.lst)"
cat "$demo/data/tarvex/worklist.lst"
echo
echo "== What each program recorded ($runs)"
cat "$runs" 2>/dev/null || echo "(nothing)"
echo
echo "== Where the machine stands: $position"
echo
echo "== How long from Start, and from one program's end, to the next program running"
grep " runs: " "$log" | sed 's/^[^ ]* [A-Z]* /  /'
echo
echo "== What went to LinuxCNC for the first line, and its answers (the journal, $demo/data/tarvex/listmanager.log)"
sed -n '/	Start$/,$p' "$demo/data/tarvex/listmanager.log" | grep "	LinuxCNC	set " | head -n 9 | cut -f 2- | sed 's/^/  /'
echo
echo "The log is $log; the whole setup is under $demo."
