#!/usr/bin/env python3
"""Start-up benchmark: from exec (Linux) or the wine command (Windows) to the
program's window mapped on the X server, the program's time on a CPU until
then (less moved by other work on the machine than the time itself), and
its peak memory (VmHWM; under Wine those of the process running the .exe),
for the launcher and the three references of its toolkit (a bare window,
the same with the picture, and the form's floor: the same 26 standard
controls with the pictures and the timer), alternated in one run. Each
start is a first start in a fresh folder; one uncounted round warms the
caches and Wine's server first.

Run on an X server (scripts/bench.sh makes one):
  bench/startup.py [--build build] [--runs 7] [--only linux|wine]
"""

import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import benchlib  # noqa: E402
from idle import counters  # noqa: E402

# After the window is mapped the first paint is still to come: the peak is
# read once it is surely done.
SETTLE = 0.3


def one_start(x, watch, program):
    folder = benchlib.Folder(program)
    watch.drain()
    started = time.monotonic()
    proc = subprocess.Popen(program.command(folder.exe), env=program.env(), cwd="/",
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        seen, window = watch.wait(program.title, proc)
        cpu = counters(proc.pid)[1] / 1e6
        time.sleep(SETTLE)
        peak = benchlib.status_kib(proc.pid, "VmHWM")
        benchlib.close(x, proc, window)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        folder.remove()
    return (seen - started) * 1000.0, peak / 1024.0, cpu


def measure(x, group, runs):
    """{label: [(ms, MiB, CPU ms)]}, the programs of one group taking turns."""
    watch = benchlib.MapWatch(x)
    results = benchlib.alternated(group, runs, lambda program: one_start(x, watch, program))
    return {program.label: starts for program, starts in zip(group, results)}


def rows(group, figures):
    """One row a program: medians, and ratios against the references."""
    med = {label: [benchlib.median([s[k] for s in starts]) for k in range(3)]
           for label, starts in figures.items()}
    references = [med[program.label] for program in group[1:]]
    out = []
    for program in group:
        row = [program.label]
        for k in (0, 2, 1):
            row += ["%.1f" % med[program.label][k]] + [
                "%.2fx" % benchlib.ratio(med[program.label][k], r[k]) for r in references]
        out.append(row)
    return out


HEADER = ["program", "start to window mapped (ms)", "vs bare", "vs bare + picture",
          "vs form's floor", "its CPU until then (ms)", "vs bare", "vs bare + picture",
          "vs form's floor", "peak memory (MiB)", "vs bare", "vs bare + picture",
          "vs form's floor"]


def main():
    parser = benchlib.arguments(__doc__, runs=True)
    args, build, groups, x, prefix = benchlib.begin(parser)
    table_rows = []
    for name in groups:
        group = benchlib.programs(build, prefix)[name]
        if not benchlib.built(name, [p.path for p in group]):
            continue
        table_rows += rows(group, measure(x, group, args.runs))
    print("Start-up and peak memory, median of %d alternated first starts in fresh folders"
          % args.runs)
    print(benchlib.table(HEADER, table_rows))


if __name__ == "__main__":
    main()
