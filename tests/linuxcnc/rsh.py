#!/usr/bin/python3
"""Tiny linuxcncrsh client for the simulation scripts and for poking at the
machine by hand.

    rsh.py [-p PORT] [-t SECONDS] [--wait-port SECONDS] [--look] LINE...

Each LINE is sent as one request, in order:
  "get ..."            prints the one-line reply
  "set ..."            must be acknowledged (SET ... ACK), else exit 1
  "until SECS REPLY | get ..."
                       repeats the get until its reply starts with REPLY
                       (exit 1 if that takes longer than SECS)

python3 is used because the LinuxCNC package depends on it, so it is there
wherever the simulation can run at all.  /usr/bin/python3 on purpose: a
python3 from pyenv or a venv may shadow it on PATH.

Protocol quirks handled here (linuxcncrsh of LinuxCNC 2.9):
  * replies to get end in "\\r\\n", but SET ... ACK/NAK end in "\\n\\r", and
    NAK replies to get carry an extra empty line, so lines are split on any
    run of \\r and \\n and empty ones are dropped;
  * echo is on by default and echoes the raw bytes received, so it is
    switched off right after hello and its own echo is read away;
  * verbose (ACK/NAK for set) is off by default: without it a set gets no
    reply at all;
  * only one connection at a time holds "enable"; enabling here takes it
    away from any other client.
"""
import argparse
import socket
import sys
import time


class RshError(Exception):
    pass


class Rsh:
    def __init__(self, port, host="127.0.0.1", timeout=10.0, name="tarvex-sim", enable=True):
        self.timeout = timeout
        # linuxcncrsh now and then refuses a hello that meets another client's command: try
        # again on a new connection before giving up.
        for attempt in range(3):
            self.sock = socket.create_connection((host, port), timeout=timeout)
            self.buf = b""
            self.send("hello EMC %s 1.0" % name)
            reply = self.line()
            if reply.startswith("HELLO ACK"):
                break
            self.sock.close()
            time.sleep(0.2)
        else:
            raise RshError("hello refused: %r" % reply)
        self.send("set echo off")
        if self.line() != "set echo off":
            raise RshError("echo of 'set echo off' not seen")
        self.set("set verbose on")
        if enable:
            self.set("set enable EMCTOO")

    def send(self, text):
        self.sock.sendall(text.encode() + b"\r\n")

    def line(self):
        deadline = time.monotonic() + self.timeout
        while True:
            # Split on the first \r or \n; skip the empty pieces that the
            # mixed line ends leave behind.
            cut = min([i for i in (self.buf.find(b"\r"), self.buf.find(b"\n")) if i >= 0],
                      default=-1)
            if cut >= 0:
                text, self.buf = self.buf[:cut], self.buf[cut + 1:]
                if text:
                    return text.decode(errors="replace")
                continue
            left = deadline - time.monotonic()
            if left <= 0:
                raise RshError("no reply within %.1f s" % self.timeout)
            self.sock.settimeout(left)
            data = self.sock.recv(4096)
            if not data:
                raise RshError("connection closed by linuxcncrsh")
            self.buf += data

    def get(self, request):
        self.send(request)
        return self.line()

    def set(self, request):
        self.send(request)
        reply = self.line()
        if not reply.endswith(" ACK"):
            raise RshError("%r answered %r" % (request, reply))
        return reply


def wait_port(port, seconds):
    deadline = time.monotonic() + seconds
    while True:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            if time.monotonic() > deadline:
                raise RshError("port %d did not answer within %s s" % (port, seconds))
            time.sleep(0.05)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("-p", "--port", type=int, default=5007)
    ap.add_argument("-t", "--timeout", type=float, default=10.0,
                    help="seconds to wait for any one reply")
    ap.add_argument("--wait-port", type=float, metavar="SECONDS",
                    help="first wait until the port accepts connections")
    ap.add_argument("--look", action="store_true",
                    help="only look: do not take the control from another client")
    ap.add_argument("lines", nargs="*")
    args = ap.parse_args()
    try:
        if args.wait_port is not None:
            wait_port(args.port, args.wait_port)
        if not args.lines:
            return 0
        rsh = Rsh(args.port, timeout=args.timeout, enable=not args.look)
        for req in args.lines:
            if req.startswith("until "):
                head, _, getreq = req.partition("|")
                _, secs, want = head.split(None, 2)
                want, getreq = want.strip(), getreq.strip()
                deadline = time.monotonic() + float(secs)
                while True:
                    reply = rsh.get(getreq)
                    if reply.startswith(want):
                        break
                    if time.monotonic() > deadline:
                        raise RshError("%r still %r after %s s" % (getreq, reply, secs))
                    time.sleep(0.05)
                print(reply)
            elif req.split(None, 1)[0].lower() == "set":
                print(rsh.set(req))
            else:
                print(rsh.get(req))
        # "quit" does not close the connection in this version; just hang up.
        rsh.sock.close()
    except (OSError, RshError) as e:
        print("rsh.py: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
