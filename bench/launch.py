#!/usr/bin/env python3
"""Play Game benchmark: from the mouse button's release on Play Game to the
emulator's process started (the stand-in emulator, bin/stand-in/Cemu.exe,
seen running its own program), against the same program started by a bare
posix_spawn / CreateProcessW on a click in the reference window, and (Linux)
by a bare posix_spawn call with no window at all. Alternated in one run.

The new process is looked for every 0.1 ms among the process ids handed out
since the click: the figures carry a fraction of a millisecond of that, the
same for every row.

Run on an X server (scripts/bench.sh makes one):
  bench/launch.py [--build build] [--runs 7] [--only linux|wine]
"""

import os
import shutil
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import benchlib  # noqa: E402
from Xlib import X  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

# Where the launcher's controls are (tests/e2e/library_cases.py): the first
# row of the file list and Play Game, in the window's own pixels.
FILE1_ROW = (6120 + 120) // 15 + 30, (120 + 2520) // 15 + 8
PLAY = (6120 + 1560 + 735 // 2) // 15, (120 + 4560 + 855 // 2) // 15
OPTION2_RPX = (6120 + 5040 + 255 // 2) // 15, (120 + 360 + 255 // 2) // 15  # the .rpx list
GAME = "Bench Game.wud"
# Apart by more than a double-click's time, so no click is taken for a second.
BETWEEN_CLICKS = 0.6
# How long a person holds the button down: what the press sets off (the
# button drawn pressed, the pointer's shape) is done before the release.
HOLD = 0.1
POLL = 0.0001


def press(x, w, at):
    origin = x.root.translate_coords(w, 0, 0)
    xtest.fake_input(x.d, X.MotionNotify, x=origin.x + at[0], y=origin.y + at[1])
    xtest.fake_input(x.d, X.ButtonPress, 1)
    x.d.sync()


def release(x):
    xtest.fake_input(x.d, X.ButtonRelease, 1)
    x.d.flush()


def wait_started(new, emulator, native, timeout=30.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        pid = new.find(emulator, native)
        if pid:
            return time.monotonic(), pid
        time.sleep(POLL)
    raise RuntimeError("the emulator did not start")


def kill(pid):
    try:
        os.kill(pid, signal.SIGKILL)
    except OSError:
        pass


class Setup:
    """A fresh program folder holding one disc image in the launcher's default
    game folder and the stand-in emulator in its emulator folder."""

    def __init__(self, program, stand_in):
        self.folder = benchlib.Folder(program)
        os.makedirs(self.folder.at("Game", "WUD_WUX"))
        os.makedirs(self.folder.at("Emulator"))
        open(self.folder.at("Game", "WUD_WUX", GAME), "wb").close()
        self.emulator = self.folder.at("Emulator", "Cemu.exe")
        shutil.copy2(stand_in, self.emulator)
        self.native = program.native(self.emulator) if program.wine_prefix else None
        self.game = program.native(self.folder.at("Game", "WUD_WUX", GAME))


def click_to_start(x, watch, program, stand_in, launcher):
    """Milliseconds from the release of the click to the emulator running."""
    s = Setup(program, stand_in)
    if launcher:
        args, target = [], PLAY
    elif program.wine_prefix:
        args, target = ["--spawn", s.native], (400, 300)
    else:
        args, target = ["--spawn", s.emulator, "-g", s.game], (400, 300)
    watch.drain()
    proc = subprocess.Popen(program.command(s.folder.exe, *args), env=program.env(), cwd="/",
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    emulator_pid = None
    try:
        _, w = watch.wait(program.title, proc)
        time.sleep(BETWEEN_CLICKS)
        if launcher:
            press(x, w, FILE1_ROW)
            release(x)
            time.sleep(BETWEEN_CLICKS)
        press(x, w, target)
        time.sleep(HOLD)
        new = benchlib.NewProcesses()
        started = time.monotonic()
        release(x)
        seen, emulator_pid = wait_started(new, s.emulator, s.native)
        return (seen - started) * 1000.0
    finally:
        if emulator_pid:
            kill(emulator_pid)
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        time.sleep(0.2)
        s.folder.remove()


def bare_spawn(program, stand_in):
    """A bare posix_spawn of the same program with the same arguments."""
    s = Setup(program, stand_in)
    # As quiet a moment as the clicks get: the folder just written settles.
    time.sleep(BETWEEN_CLICKS)
    new = benchlib.NewProcesses()
    started = time.monotonic()
    pid = os.posix_spawn(s.emulator, [s.emulator, "-g", s.game], os.environ)
    seen, _ = wait_started(new, s.emulator, None)
    kill(pid)
    os.waitpid(pid, 0)
    s.folder.remove()
    return (seen - started) * 1000.0


def measure(x, group, stand_in, runs):
    """[(label, [ms])]: the launcher, the reference window, and on Linux the
    bare call, taking turns."""
    watch = benchlib.MapWatch(x)
    launcher, reference = group[0], group[2]
    cases = [(launcher.label + ": Play Game",
              lambda: click_to_start(x, watch, launcher, stand_in, True)),
             (reference.label + ": click, bare spawn",
              lambda: click_to_start(x, watch, reference, stand_in, False))]
    if not launcher.wine_prefix:
        cases.append(("posix_spawn alone, no window", lambda: bare_spawn(launcher, stand_in)))
    results = benchlib.alternated(cases, runs, lambda case: case[1]())
    return [(label, values) for (label, _), values in zip(cases, results)]


def main():
    parser = benchlib.arguments(__doc__, runs=True)
    args, build, groups, x, prefix = benchlib.begin(parser)
    rows = []
    for name in groups:
        group = benchlib.programs(build, prefix)[name]
        arch = "linux" if name == "linux" else "win32"
        stand_in = os.path.join(build, arch, "bin", "stand-in", "Cemu.exe")
        if not benchlib.built(name, [group[0].path, group[2].path, stand_in]):
            continue
        figures = measure(x, group, stand_in, args.runs)
        reference = benchlib.median(figures[1][1])
        for label, values in figures:
            ms = benchlib.median(values)
            rows.append([label, "%.1f" % ms, "%.2fx" % benchlib.ratio(ms, reference)])
    print("Click to the emulator's process started, median of %d alternated runs" % args.runs)
    print(benchlib.table(["program", "click to process started (ms)",
                          "vs a bare spawn on a click"], rows))


if __name__ == "__main__":
    main()
