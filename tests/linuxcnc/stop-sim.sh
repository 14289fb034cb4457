#!/bin/sh
# Stop a simulation started by start-sim.sh and remove its run folder.
#
#   stop-sim.sh [--keep] [RUN_FOLDER]
#
# RUN_FOLDER defaults to $TARVEX_SIM_RUN.  --keep leaves the folder (logs,
# parameter file) for a look.  Works on a half-started run too, and only ever
# signals processes of that run.
set -u

here=$(cd "$(dirname "$0")" && pwd)
. "$here/sim-lib.sh"

keep=no
if [ "${1:-}" = --keep ]; then
    keep=yes
    shift
fi
run=${1:-${TARVEX_SIM_RUN:-}}

say() { echo "stop-sim: $*" >&2; }

if [ -z "$run" ] || [ ! -f "$run/tarvex-sim.ini" ]; then
    say "not a simulation run folder: '$run'"
    exit 2
fi

alive() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null; }
pid_of() { if [ -s "$run/$1" ]; then cat "$run/$1"; fi; }

# Wait up to $2 tenths of a second for pid $1 to end.
wait_gone() {
    n=0
    while alive "$1" && [ $n -lt "$2" ]; do
        sleep 0.1
        n=$((n + 1))
    done
    ! alive "$1"
}

rsh=$(pid_of linuxcncrsh.pid)
display=$(pid_of display.pid)
script=$(pid_of linuxcnc.pid)

if alive "$rsh"; then
    kill "$rsh" 2>/dev/null
    wait_gone "$rsh" 30
fi

# Ending the display lets the linuxcnc script run its own shutdown (task, io,
# HAL, rtapi_app, linuxcncsvr, NML memory, lock file).  Before the display is
# up the script only reacts to TERM once its current step returns.
if alive "$display"; then
    kill "$display" 2>/dev/null
elif alive "$script"; then
    kill "$script" 2>/dev/null
fi
if alive "$script" && ! wait_gone "$script" 300; then
    say "linuxcnc script did not finish its shutdown; killing what is left"
fi

# Whatever of this run survived (a half-started run, a hung "rtapi_app exit").
left=$(sim_pids "$run")
# (One pid per word: $left is split on purpose.)
# shellcheck disable=SC2086
if [ -n "$left" ]; then
    kill $left 2>/dev/null
    sleep 1
    left=$(sim_pids "$run")
    if [ -n "$left" ]; then
        kill -9 $left 2>/dev/null
        sleep 0.2
    fi
fi

# The lock, the linuxcnc script's scratch files and the shared memory are
# machine-wide (a killed script leaves them all behind); they are ours to
# clear only once no LinuxCNC runs any more.
if ! sim_linuxcnc_alive; then
    rm -f "$SIM_LOCK" /tmp/linuxcnc.debug.?????? /tmp/linuxcnc.print.??????
    sim_clean_ipc
fi

if [ -n "$(sim_pids "$run")" ]; then
    say "processes of $run still running: $(sim_pids "$run" | tr '\n' ' ')"
    exit 1
fi
if [ "$keep" = no ]; then
    rm -rf "$run"
fi
exit 0
