#!/usr/bin/python3
"""What LinuxCNC itself costs for Tarvex's changeover from one program to the next.

    changeover.py -p PORT [-n LINES]

Sends, by hand and as fast as the answers come, the linuxcncrsh commands Tarvex sends between one
program's end and the next one running (parameters by MDI, open, run), LINES times on a tiny
program, and prints the time of each command and of the whole changeover (median, min, max).
It then does the same without "set abort", which Tarvex leaves out when LinuxCNC is known idle.
Run it on the simulation (start-sim.sh) while nothing else drives it; it takes the control.
"""
import argparse
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from rsh import Rsh, RshError  # noqa: E402

PARAMETERS = "#164=1 #171=10 #284=1 #280=0 #165=1 #168=600 #169=600 #170=20 #282=0 #283=0"


def changeover(rsh, program, abort, times):
    """One line's commands as Tarvex sends them after a program's end; returns its ms."""
    def timed(command, want=None):
        start = time.monotonic()
        rsh.send(command)
        reply = rsh.line()
        name = command.split(" #")[0].replace(program, "PROGRAM")
        times.setdefault(name, []).append((time.monotonic() - start) * 1000)
        if want and not reply.startswith(want):
            raise RshError("%r answered %r" % (command, reply))
        return reply

    begin = time.monotonic()
    timed("set enable EMCTOO", "SET ENABLE ACK")
    if abort:
        timed("set abort", "SET ABORT ACK")
    timed("set mode mdi", "SET MODE ACK")
    timed("set mdi " + PARAMETERS, "SET MDI ACK")
    timed("set wait done", "SET WAIT ACK")
    timed("get error")
    timed("set mode auto", "SET MODE ACK")
    timed("set open " + program, "SET OPEN ACK")
    timed("get program")
    timed("get program_line")
    timed("get error")
    timed("set enable EMCTOO", "SET ENABLE ACK")
    timed("set run", "SET RUN ACK")
    spent = (time.monotonic() - begin) * 1000
    # The program's end, as Tarvex reads it: polls, then the errors and the machine's state.
    deadline = time.monotonic() + 10
    while rsh.get("get program_status") != "PROGRAM_STATUS IDLE":
        if time.monotonic() > deadline:
            raise RshError("the program did not end")
        time.sleep(0.04)
    rsh.get("get error")
    rsh.get("get estop")
    rsh.get("get machine")
    return spent


def show(name, values):
    print("  %-22s %8.1f ms  (%.1f to %.1f)" % (name, statistics.median(values), min(values), max(values)))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("-p", "--port", type=int, default=5007)
    ap.add_argument("-n", "--lines", type=int, default=10)
    args = ap.parse_args()
    folder = tempfile.mkdtemp(prefix="tarvex-changeover-")
    program = os.path.join(folder, "QUICK.NGC")
    with open(program, "w") as f:
        f.write("G91 G0 X0.1\nG90\nM2\n")
    try:
        rsh = Rsh(args.port)
        for abort in (True, False):
            times = {}
            totals = [changeover(rsh, program, abort, times) for _ in range(args.lines)]
            print("changeover %s \"set abort\", %d lines:" % ("with" if abort else "without", args.lines))
            show("whole changeover", totals)
            for command, values in times.items():
                show(command, values)
        rsh.sock.close()
    except (OSError, RshError) as e:
        print("changeover.py: %s" % e, file=sys.stderr)
        return 1
    finally:
        os.remove(program)
        os.rmdir(folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
