"""What the whole-program benchmarks share: the programs (the launcher and its
reference windows, Linux and under Wine), a fresh folder per start, the
moment a window is mapped on the X server, peak memory, new processes, the
Wine prefix of our own, and the table the figures are printed in.

Nothing here asserts a speed: the scripts print figures and ratios.
"""

import argparse
import os
import select
import sys
import shutil
import statistics
import subprocess
import tempfile
import time

from Xlib import X, display, protocol

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "tests", "e2e"))
import xwin  # noqa: E402

ROOT = os.path.dirname(HERE)

WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml,winemenubuilder.exe="}
LAUNCHER_TITLE = "Tavro FrontEnd"
REFERENCE_TITLE = "Tavro Reference"


class XSession:
    """The X server: top-level windows' titles and processes, a polite close."""

    def __init__(self):
        self.d = display.Display()
        self.root = self.d.screen().root

    def atom(self, name):
        return self.d.intern_atom(name)

    # A window's title and process, read as the end-to-end tests read them.
    title = xwin.XSession._title
    pid = xwin.XSession._pid

    def close_window(self, w):
        """Asks the window to close, as a window manager's close box does."""
        event = protocol.event.ClientMessage(
            window=w, client_type=self.atom("WM_PROTOCOLS"),
            data=(32, [self.atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        w.send_event(event, event_mask=X.NoEventMask)
        self.d.flush()


class Program:
    """One program to start: its file, the title of its window, and whether
    it runs under Wine (in the prefix given)."""

    def __init__(self, label, path, title, wine_prefix=None):
        self.label = label
        self.path = path
        self.title = title
        self.wine_prefix = wine_prefix
        self.extra_env = {}

    def available(self):
        return os.path.isfile(self.path)

    def env(self):
        env = dict(os.environ)
        if self.wine_prefix:
            env.update(WINE_ENV, WINEPREFIX=self.wine_prefix)
        env.update(self.extra_env)
        return env

    def native(self, path):
        """A path as the program sees it: Wine shows / as drive Z:."""
        return "Z:" + path.replace("/", "\\") if self.wine_prefix else path

    def command(self, exe, *args):
        return (["wine", exe] if self.wine_prefix else [exe]) + list(args)


def programs(build, prefix):
    """The launcher and its three references (a bare window, one with the
    picture, the form's floor), for Linux and for Windows."""
    linux = os.path.join(build, "linux", "bin")
    win32 = os.path.join(build, "win32", "bin")
    return {
        "linux": [
            Program("Tavro_FrontEnd (Qt)", os.path.join(linux, "Tavro_FrontEnd"), LAUNCHER_TITLE),
            Program("bare Qt window", os.path.join(linux, "tavro_reference_qt"), REFERENCE_TITLE),
            Program("bare Qt window + picture + label",
                    os.path.join(linux, "tavro_reference_qt_picture"), REFERENCE_TITLE),
            Program("form's floor: 26 Qt widgets + pictures + timer",
                    os.path.join(linux, "tavro_reference_qt_form"), REFERENCE_TITLE),
        ],
        "wine": [
            Program("Tavro_FrontEnd.exe (Wine)", os.path.join(win32, "Tavro_FrontEnd.exe"),
                    LAUNCHER_TITLE, prefix),
            Program("bare Win32 window", os.path.join(win32, "tavro_reference_win32.exe"),
                    REFERENCE_TITLE, prefix),
            Program("bare Win32 window + WIC picture + STATIC",
                    os.path.join(win32, "tavro_reference_win32_picture.exe"), REFERENCE_TITLE,
                    prefix),
            Program("form's floor: 26 Win32 controls + pictures + timer",
                    os.path.join(win32, "tavro_reference_win32_form.exe"), REFERENCE_TITLE,
                    prefix),
        ],
    }


class Folder:
    """A fresh folder with a copy of the program in it: every start is a first
    start, as a new user has it (the launcher makes its folders and writes its
    settings)."""

    def __init__(self, program):
        self.base = tempfile.mkdtemp(prefix="tavro-bench-")
        self.exe = os.path.join(self.base, os.path.basename(program.path))
        shutil.copy2(program.path, self.exe)

    def at(self, *parts):
        return os.path.join(self.base, *parts)

    def remove(self):
        shutil.rmtree(self.base, ignore_errors=True)


class MapWatch:
    """Windows mapped on the X server, as MapNotify events on the root: the
    moment is the event's arrival, not the next turn of a polling loop."""

    def __init__(self, x):
        self.x = x
        x.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        x.d.sync()

    def drain(self):
        self.x.d.sync()
        while self.x.d.pending_events():
            self.x.d.next_event()

    def wait(self, title, proc, timeout=60.0, own=True):
        """The first window of this title mapped from now on (by this process,
        where the window names its process, unless own is false: a program
        started through a tracer): (time it was seen, window)."""
        pid = proc.pid if own else None
        end = time.monotonic() + timeout
        while True:
            while self.x.d.pending_events():
                event = self.x.d.next_event()
                if event.type != X.MapNotify:
                    continue
                seen = time.monotonic()
                w = event.window
                if self.x.title(w) == title and (pid is None or self.x.pid(w) in (None, pid)):
                    return seen, w
            if proc.poll() is not None:
                # The launcher ends at once when another of its user's runs
                # (scripts/bench.sh gives it a network namespace of its own).
                raise RuntimeError("%s ended before its window showed" % title)
            left = end - time.monotonic()
            if left <= 0:
                raise RuntimeError("no window titled %r was mapped" % title)
            select.select([self.x.d], [], [], min(left, 0.05))


def status_kib(pid, field):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def close(x, proc, window, timeout=15.0):
    """Closes the window as a window manager's close box does; a program that
    does not end is killed."""
    try:
        x.close_window(window)
        proc.wait(timeout=timeout)
    except Exception:
        proc.kill()
        proc.wait()


class NewProcesses:
    """Processes started after this object was made, found by their program:
    the executable's path (Linux) or the Windows path Wine shows as argv[0].
    Only the process ids handed out since are looked at (the kernel's last
    id tells which), so a look costs a few reads, not a scan of /proc."""

    def __init__(self):
        self.next = self._last() + 1
        self.pending = []

    @staticmethod
    def _last():
        with open("/proc/sys/kernel/ns_last_pid") as f:
            return int(f.read())

    def find(self, program_path, native_path=None):
        last = self._last()
        self.pending.extend(range(self.next, last + 1))
        self.next = last + 1
        # A process not yet running its program (before exec, or Wine's
        # loader before it names the program) is looked at again next time.
        for pid in list(self.pending):
            try:
                if native_path is None:
                    if os.readlink("/proc/%d/exe" % pid) == program_path:
                        return pid
                else:
                    with open("/proc/%d/cmdline" % pid, "rb") as f:
                        argv0 = f.read().split(b"\0")[0].decode("utf-8", "replace")
                    if argv0.lower() == native_path.lower():
                        return pid
            except OSError:
                # Gone already, or not yet shown in /proc: ids are few, keep it.
                continue
        return None


def wine_prefix(build):
    """A Wine prefix of the benchmarks' own, beside the Windows build, with a
    persistent server: the suites' prefix and its server are left alone (a
    server restarted on our display would move their windows here)."""
    prefix = os.path.join(build, "win32", "bench-wineprefix")
    env = dict(os.environ, WINEPREFIX=prefix, **WINE_ENV)
    if not os.path.isfile(os.path.join(prefix, "system.reg")):
        subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True)
        subprocess.run(["wineserver", "-w"], env=env, check=True)
        # The fonts the launcher's text is drawn in (see tests/win32/wine.sh).
        fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
        if os.path.isdir("/usr/share/wine/fonts") and os.path.isdir(fonts):
            for name in os.listdir("/usr/share/wine/fonts"):
                if not os.path.exists(os.path.join(fonts, name)):
                    shutil.copy2(os.path.join("/usr/share/wine/fonts", name), fonts)
        subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\WineDbg", "/v",
                        "ShowCrashDialog", "/t", "REG_DWORD", "/d", "0", "/f"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Exits non-zero when the server runs already, which is what we want.
    subprocess.run(["wineserver", "-p"], env=env)
    return prefix


def end_wine(prefix):
    subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def alternated(cases, runs, one):
    """[[result]] per case: one(case) for each case in turn, runs + 1 rounds.
    The order turns round each time, so none always follows the same one;
    the first round only warms the caches and is not counted."""
    results = [[] for _ in cases]
    order = list(range(len(cases)))
    for round_no in range(runs + 1):
        shift = round_no % len(cases)
        for i in order[shift:] + order[:shift]:
            result = one(cases[i])
            if round_no > 0:
                results[i].append(result)
    return results


def median(values):
    return statistics.median(values) if values else float("nan")


def ratio(value, reference):
    return value / reference if reference else float("nan")


def table(header, rows):
    """A Markdown table: what the README takes as it stands."""
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(lines)


def arguments(doc, runs=False):
    """The options every benchmark takes: --build and --only, and --runs for
    those that repeat."""
    parser = argparse.ArgumentParser(description=doc.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--only", choices=["linux", "wine"])
    if runs:
        parser.add_argument("--runs", type=int, default=7)
    return parser


def built(what, paths):
    """Whether every file of what is built; says which are not."""
    missing = [p for p in paths if not os.path.isfile(p)]
    if missing:
        print("skipped %s: not built: %s" % (what, ", ".join(missing)))
    return not missing


def begin(parser):
    """Parses the options and opens what every benchmark needs: (args, build
    folder, the groups to measure, the X session, the Wine prefix or None)."""
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    groups = ["linux", "wine"] if not args.only else [args.only]
    x = XSession()
    prefix = wine_prefix(build) if "wine" in groups else None
    return args, build, groups, x, prefix
