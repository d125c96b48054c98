#!/usr/bin/env python3
"""Idle benchmark: the launcher with its window open and nothing happening,
over a while (60 s unless told): wake-ups a second (voluntary context
switches of all its threads: each is a sleep that something ended) and its
share of one core (time on a CPU, from the scheduler's own account), beside
the picture reference window of the same toolkit, all open at once. Under
Wine the Windows programs' server (wineserver, shared by both Wine programs)
is shown on a row of its own: what a program asks of it counts there.

Target: no more than the launcher's timer (10 a second) and under 0.1 %.

With --pad the Linux launcher runs with a game controller connected (an SDL
virtual pad preloaded from tools/pad_shim, nothing pressed): it reads the pad
at the same ticks, so idle should not change.

Run on an X server (scripts/bench.sh makes one):
  bench/idle.py [--build build] [--seconds 60] [--only linux|wine] [--pad]
"""

import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import benchlib  # noqa: E402
from Xlib import X  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

SETTLE = 3.0


def counters(pid):
    """(voluntary context switches, nanoseconds on a CPU) over the live
    threads of a process."""
    switches = cpu_ns = 0
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return 0, 0
    for tid in tasks:
        base = "/proc/%d/task/%s/" % (pid, tid)
        try:
            with open(base + "status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        switches += int(line.split()[1])
            with open(base + "schedstat") as f:
                cpu_ns += int(f.read().split()[0])
        except OSError:
            continue
    return switches, cpu_ns


def wineserver_pid(prefix):
    """The server of our prefix: it works in a folder named after the
    prefix's device and inode (under /tmp/.wine-UID or a temporary folder)."""
    st = os.stat(prefix)
    folder = "/server-%x-%x" % (st.st_dev, st.st_ino)
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.readlink("/proc/%s/cwd" % entry).endswith(folder):
                    return int(entry)
            except OSError:
                continue
    return None


def main():
    parser = benchlib.arguments(__doc__)
    parser.add_argument("--seconds", type=float, default=60.0)
    parser.add_argument("--pad", action="store_true")
    args, build, groups, x, prefix = benchlib.begin(parser)
    watch = benchlib.MapWatch(x)
    chosen = []
    for name in groups:
        group = benchlib.programs(build, prefix)[name]
        for program in (group[0], group[2]):
            if benchlib.built(program.label, [program.path]):
                chosen.append(program)
    pad = benchlib.tempfile.TemporaryDirectory(prefix="tavro-bench-pad-")
    if args.pad and chosen and not chosen[0].wine_prefix:
        # Nobody writes to the FIFO: the pad stays connected, nothing pressed.
        fifo = os.path.join(pad.name, "pad")
        os.mkfifo(fifo)
        shim = os.path.join(build, "linux", "bin", "stand-in", "libtavro_pad_shim.so")
        chosen[0].extra_env = {"LD_PRELOAD": shim, "TAVRO_PAD_FIFO": fifo}
        chosen[0].label += ", a pad connected"
    # The pointer away from every window: one left over a control (by an
    # earlier benchmark's click) keeps some programs busier than idle.
    screen = x.root.get_geometry()
    xtest.fake_input(x.d, X.MotionNotify, x=screen.width - 1, y=screen.height - 1)
    x.d.sync()
    running = []
    try:
        for program in chosen:
            folder = benchlib.Folder(program)
            watch.drain()
            proc = subprocess.Popen(program.command(folder.exe), env=program.env(), cwd="/",
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            running.append((program.label, proc, folder))
            watch.wait(program.title, proc)
        watched = [(label, proc.pid) for label, proc, _ in running]
        server = wineserver_pid(prefix) if prefix else None
        if server:
            watched.append(("wineserver (both Wine programs)", server))
        time.sleep(SETTLE)
        before = {pid: counters(pid) for _, pid in watched}
        started = time.monotonic()
        time.sleep(args.seconds)
        after = {pid: counters(pid) for _, pid in watched}
        elapsed = time.monotonic() - started
        dead = [label for label, proc, _ in running if proc.poll() is not None]
        if dead:
            raise SystemExit("ended while idle: " + ", ".join(dead))
    finally:
        for _, proc, folder in running:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
            folder.remove()
        pad.cleanup()
    rows = []
    for label, pid in watched:
        wakeups = (after[pid][0] - before[pid][0]) / elapsed
        share = (after[pid][1] - before[pid][1]) / (elapsed * 1e9) * 100.0
        rows.append([label, "%.1f" % wakeups, "%.3f %%" % share])
    print("Idle with the window open, over %.0f s" % elapsed)
    print(benchlib.table(["program", "wake-ups a second", "share of one core"], rows))


if __name__ == "__main__":
    main()
