#!/usr/bin/env python3
"""Cover walk benchmark: a library of 60 games, each with a large cover
(3840 x 2160 photo-like JPEGs, about 1 MB, and 1280 x 720 ones), the first
game selected with a click, then Down pressed 59 times at 33 a second (a
held key's repeat rate) to the last game. For the launcher and, taking
turns with it, the form's floor of its toolkit (the same 26 standard
controls, covers decoded at the shown size on each selection):

- CPU per step: the program's time on a CPU from the first key until idle,
  over the 59 steps (under Wine without the Windows programs' server, which
  also serves Wine's own background processes);
- time to idle: from the first key until the program's CPU falls quiet
  (under 10 % of a core over 20 ms);
- peak memory (VmHWM).

A third walk goes through 60 unpacked games with the title view on
(Titles=en), named by their meta/meta.xml and shown by their own
meta/iconTex.tga (128 x 128, with transparency), none with a cover: the
launcher in its .rpx list, the floor showing the same icons as the covers
of 60 disc images.

The covers are made once per build folder with ImageMagick (plasma
fractals, seeded), never fetched. Nothing asserts a speed.

Run on an X server (scripts/bench.sh makes one):
  bench/walk.py [--build build] [--runs 7] [--only linux|wine] [--walk 4K|720p|titled]
"""

import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import benchlib  # noqa: E402
from idle import counters  # noqa: E402
from launch import FILE1_ROW, OPTION2_RPX, press, release  # noqa: E402
from Xlib import X, XK  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

GAMES = 60
RATE = 33.0
SIZES = {"4K": (3840, 2160, 85), "720p": (1280, 720, 85)}
DISTINCT = 6  # covers drawn per size; the games take them in turn
SAMPLE = 0.002
QUIET_WINDOW = 0.020
QUIET_SHARE = 0.10
QUIET_SHARE_LIGHT = 0.02  # the titled walk's small icons
QUIET_FOR = 0.6


def covers(build, size):
    """The cover files of one size, made once: [path] of DISTINCT pictures."""
    width, height, quality = SIZES[size]
    folder = os.path.join(build, "bench-covers", size)
    os.makedirs(folder, exist_ok=True)
    paths = []
    for seed in range(1, DISTINCT + 1):
        path = os.path.join(folder, "cover%d.jpg" % seed)
        if not os.path.isfile(path):
            subprocess.run(["convert", "-seed", str(seed), "-size", "%dx%d" % (width, height),
                            "plasma:fractal", "-quality", str(quality), path + ".tmp.jpg"],
                           check=True)
            os.rename(path + ".tmp.jpg", path)
        paths.append(path)
    return paths


def icons(build):
    """The game icons, made once: [(tga path, png path)] of DISTINCT pictures,
    each a disc of plasma on a transparent square, as a game's icon is."""
    folder = os.path.join(build, "bench-covers", "icons")
    os.makedirs(folder, exist_ok=True)
    paths = []
    for seed in range(1, DISTINCT + 1):
        tga, png = (os.path.join(folder, "icon%d.%s" % (seed, kind)) for kind in ("tga", "png"))
        for path in (tga, png):
            if not os.path.isfile(path):
                subprocess.run(["convert", "-seed", str(seed), "-size", "128x128", "plasma:fractal",
                                "(", "-size", "128x128", "xc:black", "-fill", "white", "-draw",
                                "circle 64,64 64,6", ")", "-alpha", "off", "-compose",
                                "CopyOpacity", "-composite", "-depth", "8", path + ".tmp" + path[-4:]], check=True)
                os.rename(path + ".tmp" + path[-4:], path)
        paths.append((tga, png))
    return paths


def titled_library(folder, program, pictures):
    """For the launcher: unpacked games in its .rpx folder, each with its
    meta.xml and icon, and the title view on in its settings."""
    os.makedirs(folder.at("Game", "WUD_WUX"))
    for i in range(GAMES):
        game = folder.at("Game", "RPX", "game%02d" % (i + 1))
        os.makedirs(os.path.join(game, "code"))
        os.makedirs(os.path.join(game, "meta"))
        open(os.path.join(game, "code", "game%02d.rpx" % (i + 1)), "wb").close()
        with open(os.path.join(game, "meta", "meta.xml"), "w", encoding="utf-8") as f:
            f.write('<?xml version="1.0" encoding="utf-8"?>\n<menu type="complex" access="777">'
                    '<title_id type="hexBinary" length="8">00050000101%05X</title_id>'
                    '<longname_en type="string" length="512">Game %02d</longname_en></menu>\n'
                    % (i + 1, i + 1))
        shutil.copy2(pictures[i % len(pictures)][0], os.path.join(game, "meta", "iconTex.tga"))
    sep = "\\" if program.wine_prefix else "/"
    with open(folder.at("Tavro_FrontEnd.ini"), "wb") as f:
        f.write(("[EmulatorConfig]\r\nFileExe=Cemu.exe\r\nWinMode=-g\r\nFullMode=-f -g\r\n"
                 "[TavroFrontEndCnfig]\r\nDirRpx=%s%sGame%sRPX\r\nDirWudWux=%s%sGame%sWUD_WUX\r\n"
                 "Titles=en\r\n" % (program.native(folder.base), sep, sep,
                                      program.native(folder.base), sep, sep)).encode("utf-8"))


def library(folder, pictures):
    """The games in the launcher's default game folder, covers in Image."""
    os.makedirs(folder.at("Game", "WUD_WUX"))
    os.makedirs(folder.at("Image"))
    for i in range(GAMES):
        name = "Game %02d" % (i + 1)
        open(folder.at("Game", "WUD_WUX", name + ".wud"), "wb").close()
        target = folder.at("Image", name + ".jpg")
        try:
            os.link(pictures[i % len(pictures)], target)
        except OSError:
            shutil.copy2(pictures[i % len(pictures)], target)


def cpu_ns(pids):
    return sum(counters(pid)[1] for pid in pids)


def until_quiet(pids, keys=(), share=QUIET_SHARE):
    """Sends each (moment, action) of keys at its moment, sampling (time, CPU
    ns) between them, and goes on until the CPU has been quiet for QUIET_FOR
    after the last; returns the first sample and the last busy one."""
    keys = list(keys)
    samples = [(time.monotonic(), cpu_ns(pids))]
    window = max(1, int(QUIET_WINDOW / SAMPLE))
    busy_at = samples[0]
    while True:
        now = time.monotonic()
        if keys and keys[0][0] <= now:
            keys.pop(0)[1]()
        time.sleep(max(0.0, min(SAMPLE, keys[0][0] - now) if keys else SAMPLE))
        samples.append((time.monotonic(), cpu_ns(pids)))
        if len(samples) > window:
            (t0, c0), (t1, c1) = samples[-1 - window], samples[-1]
            if c1 - c0 >= share * (t1 - t0) * 1e9:
                busy_at = samples[-1]
        if not keys and samples[-1][0] - busy_at[0] > QUIET_FOR:
            return samples[0], busy_at


def walk(x, watch, program, pictures, titled=False):
    """(CPU ms per step, ms from the first key to idle, peak MiB). titled: the
    launcher walks its title view; the floor, the same icons as covers."""
    folder = benchlib.Folder(program)
    rpx = titled and program.title == benchlib.LAUNCHER_TITLE
    if rpx:
        titled_library(folder, program, pictures)
    else:
        library(folder, [png for _, png in pictures] if titled else pictures)
    watch.drain()
    proc = subprocess.Popen(program.command(folder.exe), env=program.env(), cwd="/",
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        _, window = watch.wait(program.title, proc)
        pids = [proc.pid]
        time.sleep(0.5)
        # Without a window manager nothing gives the window the keyboard.
        window.set_input_focus(X.RevertToParent, X.CurrentTime)
        if rpx:  # the .rpx list
            press(x, window, OPTION2_RPX)
            release(x)
            until_quiet(pids)
        press(x, window, FILE1_ROW)  # the first game
        release(x)
        until_quiet(pids)
        down = x.d.keysym_to_keycode(XK.string_to_keysym("Down"))

        def key():
            xtest.fake_input(x.d, X.KeyPress, down)
            xtest.fake_input(x.d, X.KeyRelease, down)
            x.d.flush()

        first = time.monotonic() + 0.05
        # A step of the title view costs so little that a tenth of a core
        # would take it for quiet.
        (_, cpu_before), (idle_at, cpu_after) = until_quiet(
            pids, [(first + step / RATE, key) for step in range(GAMES - 1)],
            QUIET_SHARE_LIGHT if titled else QUIET_SHARE)
        peak = benchlib.status_kib(proc.pid, "VmHWM") / 1024.0
        benchlib.close(x, proc, window)
        return ((cpu_after - cpu_before) / 1e6 / (GAMES - 1), (idle_at - first) * 1000.0, peak)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        folder.remove()


def main():
    parser = benchlib.arguments(__doc__, runs=True)
    parser.add_argument("--walk", choices=list(SIZES) + ["titled"], help="this walk alone")
    args, build, groups, x, prefix = benchlib.begin(parser)
    watch = benchlib.MapWatch(x)
    rows = []
    for name in groups:
        launcher, floor = (benchlib.programs(build, prefix)[name][i] for i in (0, 3))
        if not benchlib.built(name, [launcher.path, floor.path]):
            continue
        for size in [args.walk] if args.walk else list(SIZES) + ["titled"]:
            titled = size == "titled"
            pictures = icons(build) if titled else covers(build, size)
            results = benchlib.alternated(
                [launcher, floor], args.runs,
                lambda program: walk(x, watch, program, pictures, titled))
            med = [[benchlib.median([r[k] for r in runs]) for k in range(3)] for runs in results]
            for program, figures in zip((launcher, floor), med):
                what = "title view, game icons" if titled else "%s covers" % size
                rows.append(["%s, %s" % (program.label, what)] + [
                    "%.1f (%.2fx)" % (value, benchlib.ratio(value, base))
                    for value, base in zip(figures, med[1])])
    kib = os.path.getsize(covers(build, "4K")[0]) // 1024
    print("Walking 60 games with Down at %.0f a second, median of %d alternated runs "
          "(4K covers about %d KiB); ratios against the form's floor" % (RATE, args.runs, kib))
    print(benchlib.table(["program", "CPU per step (ms)", "first key to idle (ms)",
                          "peak memory (MiB)"], rows))


if __name__ == "__main__":
    main()
