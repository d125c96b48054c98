#!/usr/bin/env python3
"""Where a first start spends its time, to go with the start-up figures:
each program started once in a fresh folder under strace (Linux) or with
Wine's load trace, closed a moment after its window is mapped, and the trace
summed up: system calls by count, failed access() calls by the file looked
for, files opened by kind (libraries, Qt plugins, fonts, icon theme), and
under Wine the DLLs each program loads and when.

Run on an X server (scripts/bench.sh makes one):
  bench/profile.py [--build build] [--only linux|wine] [--keep DIR]
"""

import collections
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import benchlib  # noqa: E402

SETTLE = 0.3
LINE = re.compile(r"^(\d+)\s+(\d+):(\d+):(\d+\.\d+)\s+(\w+)\((.*)$")


def run_traced(x, watch, program, prefix_cmd, env):
    folder = benchlib.Folder(program)
    watch.drain()
    proc = subprocess.Popen(prefix_cmd + program.command(folder.exe), env=env, cwd="/",
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE if program.wine_prefix else subprocess.DEVNULL)
    err = b""
    try:
        _, w = watch.wait(program.title, proc, timeout=120, own=False)
        time.sleep(SETTLE)
        x.close_window(w)
        if program.wine_prefix:
            err = proc.communicate(timeout=60)[1]
        else:
            proc.wait(timeout=60)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        folder.remove()
    return err.decode("utf-8", "replace")


def kind_of(path):
    if "/qt6/plugins/" in path:
        return "Qt plugins"
    if path.endswith((".ttf", ".otf", ".pfb", ".pcf", ".pcf.gz")) or "fontconfig" in path:
        return "fonts and fontconfig"
    if "/icons/" in path:
        return "icon theme"
    if re.search(r"\.so(\.\d+)*$", path):
        return "shared libraries"
    if "/share/X11/" in path or "locale" in path:
        return "X11 and locale data"
    return "other"


def summarise_strace(path):
    calls = collections.Counter()
    failed_access = collections.Counter()
    opened = collections.defaultdict(set)
    first = last = None
    first_by_kind = {}
    with open(path, errors="replace") as f:
        for line in f:
            m = LINE.match(line)
            if not m:
                continue
            t = int(m.group(2)) * 3600 + int(m.group(3)) * 60 + float(m.group(4))
            first = t if first is None else first
            last = t
            name, rest = m.group(5), m.group(6)
            calls[name] += 1
            target = re.search(r'"([^"]*)"', rest)
            if not target:
                continue
            file = target.group(1)
            if name in ("access", "faccessat", "faccessat2") and "= -1" in rest:
                failed_access[os.path.basename(file)] += 1
            if name in ("openat", "open") and "= -1" not in rest:
                kind = kind_of(file)
                opened[kind].add(file)
                first_by_kind.setdefault(kind, t)
    print("  %d system calls in %.0f ms of trace (strace slows every call down)"
          % (sum(calls.values()), (last - first) * 1000 if first else 0))
    print("  most made: " + ", ".join("%s %d" % c for c in calls.most_common(8)))
    print("  failed access() calls: %d; the files looked for most:" % sum(failed_access.values()))
    for name, count in failed_access.most_common(8):
        print("    %6d  %s" % (count, name))
    print("  files opened, by kind (first one at ms after exec):")
    for kind, files in sorted(opened.items()):
        at = (first_by_kind[kind] - first) * 1000
        shown = sorted(os.path.basename(p) for p in files)
        more = "" if len(shown) <= 8 else " ..."
        print("    %-22s %4d  at %6.1f ms  %s%s" % (kind, len(files), at, " ".join(shown[:8]), more))


def summarise_wine(err):
    """The DLLs the program's own process loads, and when, from Wine's
    +pid,+timestamp,+loaddll trace on stderr; other processes Wine starts
    for it (explorer.exe for the desktop) are named apart."""
    own = None
    loaded, others = [], collections.OrderedDict()
    start = None
    for line in err.splitlines():
        m = re.match(r'^(\d+\.\d+):([0-9a-f]+):[0-9a-f]+:trace:loaddll:.*Loaded L"([^"]+)"', line)
        if not m:
            continue
        t, pid = float(m.group(1)), m.group(2)
        name = m.group(3).replace("\\\\", "\\").split("\\")[-1].lower()
        start = t if start is None else start
        own = pid if own is None else own
        if pid == own:
            loaded.append(((t - start) * 1000, name))
        else:
            others.setdefault(pid, name)
    print("  %d modules in its own process, ms after the first:" % len(loaded))
    print("    " + " ".join("%s@%.0f" % (name, at) for at, name in loaded))
    if others:
        print("  other processes started meanwhile: " + " ".join(others.values()))
    return {name for _, name in loaded}


def main():
    parser = benchlib.arguments(__doc__)
    parser.add_argument("--keep", help="a folder to keep the raw traces in")
    args, build, groups, x, prefix = benchlib.begin(parser)
    watch = benchlib.MapWatch(x)
    keep = args.keep or tempfile.mkdtemp(prefix="tavro-profile-")
    os.makedirs(keep, exist_ok=True)
    for name in groups:
        group = benchlib.programs(build, prefix)[name]
        modules = {}
        for program in (group[0], group[2]):
            if not program.available():
                continue
            print("%s, first start:" % program.label)
            if program.wine_prefix:
                env = dict(program.env(), WINEDEBUG="+pid,+timestamp,+loaddll")
                modules[program.label] = summarise_wine(run_traced(x, watch, program, [], env))
            else:
                out = os.path.join(keep, os.path.basename(program.path) + ".strace")
                env = dict(program.env(), QT_DEBUG_PLUGINS="0")
                run_traced(x, watch, program, ["strace", "-f", "-tt", "-s", "200", "-o", out], env)
                summarise_strace(out)
        if len(modules) == 2:
            (a, ma), (b, mb) = modules.items()
            print("Modules %s loads that %s does not: %s" % (a, b, " ".join(sorted(ma - mb))))
    print("(raw traces in %s)" % keep)


if __name__ == "__main__":
    main()
