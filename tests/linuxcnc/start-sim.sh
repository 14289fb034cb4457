#!/bin/sh
# Start a headless LinuxCNC simulation (sim/) with linuxcncrsh on a TCP port,
# for tests of Tarvex's CNC work list.
#
#   start-sim.sh [--bare] [PORT]
#
# Without PORT a free one is picked.  The configuration is copied into a fresh
# run folder under ${TMPDIR:-/tmp}, so the parameter file, logs and
# LinuxCNC's own files never land in the repository.  Unless --bare is given
# the machine is then taken out of E-stop, switched on and homed, which is
# what every test wants first.
#
# On success prints, ready for eval:
#   TARVEX_SIM_RUN=<run folder>
#   TARVEX_SIM_PORT=<port>
# Stop with: stop-sim.sh <run folder>
#
# TARVEX_SIM_OWNER_PID names the process the run belongs to (a test program). A run whose owner
# has died without stopping it (killed at a time-out) is stopped here first, so that it cannot
# block the next start.
#
# Needs: linuxcnc-uspace (Debian), which also brings /usr/bin/python3 that
# rsh.py runs on.  Only one LinuxCNC can run on a machine at a time.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
. "$here/sim-lib.sh"
py=/usr/bin/python3
ini_name=tarvex-sim.ini

bare=no
if [ "${1:-}" = --bare ]; then
    bare=yes
    shift
fi
port=${1:-}

say() { echo "start-sim: $*" >&2; }

if ! command -v linuxcnc >/dev/null 2>&1 || ! command -v linuxcncrsh >/dev/null 2>&1; then
    say "LinuxCNC is not installed (apt-get install linuxcnc-uspace)"
    exit 2
fi

# Runs left behind by an owner that is gone.
for owned in "${TMPDIR:-/tmp}"/tarvex-lcnc.*/owner.pid; do
    [ -f "$owned" ] || continue
    if ! kill -0 "$(cat "$owned")" 2>/dev/null; then
        say "stopping $(dirname "$owned"), left behind by process $(cat "$owned")"
        "$here/stop-sim.sh" "$(dirname "$owned")" >&2 || true
    fi
done

# A second linuxcnc script would "clean up" the first one by process name,
# so refuse rather than take over.  A lock with nothing running is stale.
if [ -e "$SIM_LOCK" ] || sim_linuxcnc_alive; then
    if sim_linuxcnc_alive; then
        say "another LinuxCNC is running on this machine; stop it first"
        exit 3
    fi
    say "removing stale $SIM_LOCK and orphaned shared memory"
    rm -f "$SIM_LOCK"
fi
sim_clean_ipc

if [ -z "$port" ]; then
    port=$("$py" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
fi
# 5005 is taken by linuxcncsvr itself.
if [ "$port" = 5005 ] || ! "$py" -c 'import socket, sys; s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1); s.bind(("", int(sys.argv[1])))' "$port" 2>/dev/null; then
    say "port $port is not free"
    exit 2
fi

run=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-lcnc.XXXXXX")
# rtapi_app drops to RTAPI_UID and must reach its socket below the run folder.
chmod 755 "$run"
cp -R "$here/sim/." "$run/"
mkdir -p "$run/nc_files" "$run/rtapi"
if [ -n "${TARVEX_SIM_OWNER_PID:-}" ]; then
    echo "$TARVEX_SIM_OWNER_PID" > "$run/owner.pid"
fi

fail() {
    say "$*"
    for f in linuxcnc.log linuxcncrsh.log; do
        if [ -s "$run/$f" ]; then
            say "--- tail of $f"
            tail -n 20 "$run/$f" >&2
        fi
    done
    "$here/stop-sim.sh" "$run" >&2 || true
    exit 1
}

t0=$(date +%s.%N)
(
    # rtapi_app will not run as root unless told which user to become, and it
    # needs a socket path that user can write.
    if [ "$(id -u)" = 0 ]; then
        RTAPI_UID=${RTAPI_UID:-65534}
        chown "$RTAPI_UID" "$run/rtapi"
        export RTAPI_UID
    fi
    RTAPI_FIFO_PATH=$run/rtapi/fifo
    # The linuxcnc script copies its logs to $HOME on a failed exit.
    HOME=$run
    export RTAPI_FIFO_PATH HOME
    export "$SIM_TAG=$run"
    # No X: also keeps the linuxcnc script from asking anything in a window.
    unset DISPLAY
    cd "$run"
    setsid linuxcnc -r "$run/$ini_name" </dev/null >"$run/linuxcnc.log" 2>&1 &
    echo $! > "$run/linuxcnc.pid"
)

# The display script is started last by the linuxcnc script, so its marker
# means HAL, motion, io and task have all been launched.
i=0
while [ ! -e "$run/display.ready" ]; do
    kill -0 "$(cat "$run/linuxcnc.pid")" 2>/dev/null || fail "LinuxCNC exited while starting"
    i=$((i + 1))
    [ $i -le 600 ] || fail "LinuxCNC did not come up within 60 s"
    sleep 0.1
done

(
    export "$SIM_TAG=$run"
    cd "$run"
    setsid linuxcncrsh -p "$port" -- -ini "$run/$ini_name" </dev/null >"$run/linuxcncrsh.log" 2>&1 &
    echo $! > "$run/linuxcncrsh.pid"
)
"$py" "$here/rsh.py" -p "$port" --wait-port 20 >&2 || fail "linuxcncrsh did not answer on port $port"
t1=$(date +%s.%N)

if [ "$bare" = no ]; then
    # set only waits until task has received a command, and linuxcncrsh
    # refuses "set mode" while the machine still reads as off: wait for each
    # state before the next step.
    "$py" "$here/rsh.py" -p "$port" \
        "set estop off" "until 10 ESTOP OFF | get estop" \
        "set machine on" "until 10 MACHINE ON | get machine" \
        "set mode manual" "until 10 MODE MANUAL | get mode" \
        "set home -1" "until 20 JOINT_HOMED YES YES YES | get joint_homed" \
        >"$run/fixture.log" 2>&1 || { cat "$run/fixture.log" >&2; fail "could not ready the machine"; }
fi
t2=$(date +%s.%N)

say "LinuxCNC up and port $port answering after $(awk "BEGIN { printf \"%.1f\", $t1 - $t0 }") s, machine ready after $(awk "BEGIN { printf \"%.1f\", $t2 - $t0 }") s"
echo "TARVEX_SIM_RUN=$run"
echo "TARVEX_SIM_PORT=$port"
