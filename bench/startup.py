#!/usr/bin/env python3
"""Start-up benchmark: how long the Linux program takes from exec to a mapped
window, and its peak memory, over several runs in a provisioned folder.

Run on an X server: xvfb-run -a bench/startup.py build/linux/bin/Tavro_FrontEnd [runs]
The .exe under Wine is not measured here: Wine's own start dominates it.
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import xwin  # noqa: E402


def peak_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def main():
    program = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    x = xwin.XSession()
    base = tempfile.mkdtemp(prefix="tavro-bench-")
    exe = os.path.join(base, os.path.basename(program))
    shutil.copy2(program, exe)
    times, peaks = [], []
    try:
        for i in range(runs + 1):  # the first run provisions the folder and is not counted
            started = time.monotonic()
            proc = subprocess.Popen([exe], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            while not x.find_window("Tavro FrontEnd", pids={proc.pid}):
                if proc.poll() is not None or time.monotonic() - started > 30:
                    raise SystemExit("the window never showed")
                time.sleep(0.002)
            elapsed = time.monotonic() - started
            time.sleep(0.2)  # let the first paint finish before reading the peak
            peak = peak_kib(proc.pid)
            x.close_window(x.find_window("Tavro FrontEnd", pids={proc.pid}))
            proc.wait(timeout=30)
            if i > 0:
                times.append(elapsed * 1000)
                peaks.append(peak / 1024)
    finally:
        shutil.rmtree(base, ignore_errors=True)
    print("start to window: median %.1f ms, min %.1f ms, max %.1f ms over %d runs"
          % (statistics.median(times), min(times), max(times), len(times)))
    print("peak memory: median %.1f MiB" % statistics.median(peaks))


if __name__ == "__main__":
    main()
