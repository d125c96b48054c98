#!/usr/bin/env python3
"""End-to-end tests: the real programs (the Linux build, and the Windows builds
under Wine) started in fresh folders on the X server in $DISPLAY and driven
from outside, as a player would.

Run: run_e2e.py --build BUILD_ROOT [-k NAME]. Prints one line per test and
ends with "e2e: N passed, N failed".
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

import xwin

WAIT = 60.0  # seconds: an upper bound for slow machines, never a target


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, predicate, timeout=WAIT):
    """Polls predicate until it gives something true; fails after timeout."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("gave up waiting for " + what)
        time.sleep(0.1)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class Target:
    """One build of the program: how to copy it into a folder and start it."""

    def __init__(self, name, program, wine_prefix=None):
        self.name = name
        self.program = program
        self.wine_prefix = wine_prefix

    def available(self):
        return os.path.isfile(self.program)

    def install(self, folder):
        dest = os.path.join(folder, os.path.basename(self.program))
        shutil.copy2(self.program, dest)
        return dest

    def start(self, exe):
        env = dict(os.environ)
        if self.wine_prefix:
            env.update(WINEPREFIX=self.wine_prefix, WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
            cmd = ["wine", exe]
        else:
            cmd = [exe]
        return subprocess.Popen(cmd, env=env, cwd="/", stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def native(self, path):
        """A path as the program sees it: Wine shows / as drive Z:."""
        if self.wine_prefix:
            return "Z:" + path.replace("/", "\\")
        return path

    def sep(self):
        return "\\" if self.wine_prefix else "/"


class Session:
    """A fresh program folder with the program in it, and the running process."""

    def __init__(self, target, x, label="Tavro e2e \u00fc"):
        self.target = target
        self.x = x
        self.base = tempfile.mkdtemp(prefix="tavro-e2e-")
        self.folder = os.path.join(self.base, label)
        os.mkdir(self.folder)
        self.exe = target.install(self.folder)
        self.proc = None

    def start(self):
        self.proc = self.target.start(self.exe)
        return self

    def at(self, *parts):
        return os.path.join(self.folder, *parts)

    def entries(self):
        return sorted(os.listdir(self.folder))

    def ini(self):
        return self.at("Tavro_FrontEnd.ini")

    def app_folder(self):
        return self.target.native(self.folder)

    def fresh_ini_bytes(self):
        app, s = self.app_folder(), self.target.sep()
        text = ("[EmulatorConfig]\r\nFileExe=Cemu.exe\r\nWinMode=-g\r\nFullMode=-f -g\r\n"
                "[TavroFrontEndCnfig]\r\nDirRpx={0}{1}Game{1}RPX\r\n"
                "DirWudWux={0}{1}Game{1}WUD_WUX\r\n").format(app, s)
        return text.encode("utf-8")

    def pids(self):
        """The processes that are this program. Under Wine a 64-bit program
        runs in a process of its own, whose command line is the program's
        Windows path; the "wine" process we started may be gone by then."""
        found = set()
        if self.proc.poll() is None:
            found.add(self.proc.pid)
        if self.target.wine_prefix:
            native = self.target.native(self.exe).lower()
            for entry in os.listdir("/proc"):
                if not entry.isdigit():
                    continue
                try:
                    with open("/proc/%s/cmdline" % entry, "rb") as f:
                        argv0 = f.read().split(b"\0")[0].decode("utf-8", "replace")
                    with open("/proc/%s/stat" % entry) as f:
                        state = f.read().rsplit(")", 1)[1].split()[0]
                except OSError:
                    continue
                if argv0.lower() == native and state != "Z":
                    found.add(int(entry))
        return found

    def window(self, title):
        return self.x.find_window(title, pids=self.pids())

    def main_window(self, timeout=WAIT):
        return wait_for("the launcher's window", lambda: self.window("Tavro FrontEnd"), timeout)

    def ended(self):
        return not self.pids()

    def wait_end(self, what="the program to end"):
        wait_for(what, self.ended)
        return self.proc.returncode

    def close(self):
        """Closes the window as the window manager's close box does."""
        self.x.close_window(self.main_window())
        return self.wait_end("the program to end after its window was closed")

    def cleanup(self):
        if self.proc:
            for pid in self.pids():
                try:
                    os.kill(pid, 9)
                except OSError:
                    pass
            self.proc.wait()
        shutil.rmtree(self.base, ignore_errors=True)


def dismiss_message(x, session, title="Error"):
    box = wait_for('a message box titled "%s"' % title, lambda: session.window(title))
    x.press_return(box)
    wait_for("the message box to close", lambda: not x.is_viewable(box) or session.ended())


# ---- the tests: each takes (target, x) ----

def test_first_start_provisions_opens_and_closes(target, x):
    s = Session(target, x).start()
    try:
        win = s.main_window()
        check(s.entries() == sorted([os.path.basename(s.exe), "Emulator", "Game", "Image",
                                     "Tavro_FrontEnd.ini"]), "folder holds %s" % s.entries())
        check(sorted(os.listdir(s.at("Game"))) == ["RPX", "WUD_WUX"], "Game holds the two folders")
        got = read_bytes(s.ini())
        check(got == s.fresh_ini_bytes(), "settings file bytes: %r" % got)
        w, h = x.client_size(win)
        check((w, h) == (802, 386), "client area %dx%d" % (w, h))
        check(x.count_windows("Tavro FrontEnd", s.pids()) == 1, "exactly one window")
        check(s.window("Error") is None, "no message box")
        rc = s.close()
        check(rc == 0, "exit code %s" % rc)
        # A second start writes nothing.
        before = read_bytes(s.ini())
        s.start().main_window()
        s.close()
        check(read_bytes(s.ini()) == before, "a second start changed the settings file")
    finally:
        s.cleanup()


def test_second_instance_ends_silently_and_touches_nothing(target, x):
    first = Session(target, x).start()
    second = Session(target, x, label="second")
    try:
        first.main_window()
        second.start()
        second.wait_end("the second instance to end")
        check(second.entries() == [os.path.basename(second.exe)],
              "the second instance created %s" % second.entries())
        check(not first.ended(), "the first instance ended too")
        check(x.count_windows("Tavro FrontEnd") == 1, "one launcher window")
        check(x.find_window("Error") is None, "a message was shown")
        first.close()
    finally:
        first.cleanup()
        second.cleanup()


def test_two_started_at_once_leave_exactly_one(target, x):
    a = Session(target, x, label="a")
    b = Session(target, x, label="b")
    try:
        a.start()
        b.start()
        survivor = wait_for("one of the two to open its window",
                            lambda: next((s for s in (a, b) if s.window("Tavro FrontEnd")), None))
        other = b if survivor is a else a
        other.wait_end("the other instance to end")
        check(other.entries() == [os.path.basename(other.exe)],
              "the ended instance created %s" % other.entries())
        check(not survivor.ended(), "the survivor ended")
        survivor.close()
    finally:
        a.cleanup()
        b.cleanup()


def settings_naming_a_missing_folder(s):
    """Lays out the folder tree and a settings file whose DirWudWux is gone."""
    for folder in (("Game",), ("Game", "RPX"), ("Game", "WUD_WUX"), ("Emulator",), ("Image",)):
        os.mkdir(s.at(*folder))
    text = "[TavroFrontEndCnfig]\r\nDirWudWux=%s%sgone\r\n" % (s.app_folder(), s.target.sep())
    with open(s.ini(), "wb") as f:
        f.write(text.encode("utf-8"))
    return text.encode("utf-8")


def test_missing_disc_folder_resets_and_the_next_start_is_clean(target, x):
    s = Session(target, x)
    try:
        edited = settings_naming_a_missing_folder(s)
        s.start()
        dismiss_message(x, s)
        rc = s.wait_end()
        check(s.window("Tavro FrontEnd") is None, "the window showed")
        check(not os.path.exists(s.ini()), "the settings file is still there")
        check(read_bytes(s.at("Tavro_FrontEnd.ini.bak")) == edited, "the backup differs")
        check(rc == 0, "exit code %s" % rc)
        s.start().main_window()
        check(read_bytes(s.ini()) == s.fresh_ini_bytes(), "no fresh settings file")
        check(s.window("Error") is None, "a message on the clean start")
        s.close()
    finally:
        s.cleanup()


def test_read_only_settings_give_both_messages_and_stay(target, x):
    s = Session(target, x)
    try:
        edited = settings_naming_a_missing_folder(s)
        os.chmod(s.ini(), 0o444)
        s.start()
        dismiss_message(x, s)  # the load failed
        dismiss_message(x, s)  # the reset failed
        s.wait_end()
        check(read_bytes(s.ini()) == edited, "the settings file changed")
        check(not os.path.exists(s.at("Tavro_FrontEnd.ini.bak")), "a backup was made")
    finally:
        os.chmod(s.ini(), 0o644) if os.path.exists(s.ini()) else None
        s.cleanup()


def test_closing_shows_the_desktop_and_taskbar_again(target, x):
    stand_ins = target.shell_stand_ins(x)
    s = Session(target, x)
    try:
        stand_ins.hide()
        s.start().main_window()
        check(not stand_ins.desktop_shown() and not stand_ins.taskbar_shown(),
              "shown before the close")
        s.close()
        wait_for("the desktop and the taskbar to show again",
                 lambda: stand_ins.desktop_shown() and stand_ins.taskbar_shown(), 10)
    finally:
        s.cleanup()
        stand_ins.destroy()


TESTS = [
    test_first_start_provisions_opens_and_closes,
    test_second_instance_ends_silently_and_touches_nothing,
    test_two_started_at_once_leave_exactly_one,
    test_missing_disc_folder_resets_and_the_next_start_is_clean,
    test_read_only_settings_give_both_messages_and_stay,
    test_closing_shows_the_desktop_and_taskbar_again,
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="the build root holding linux/, win32/")
    parser.add_argument("-k", default="", help="run only tests whose name holds this")
    parser.add_argument("--targets", default="linux,win32,win64")
    args = parser.parse_args()

    x = xwin.XSession()
    here = os.path.dirname(os.path.abspath(__file__))
    targets = []
    for name in args.targets.split(","):
        if name == "linux":
            t = Target("linux", os.path.join(args.build, "linux", "bin", "Tavro_FrontEnd"))
            t.shell_stand_ins = lambda x: xwin.EwmhStandIns(x)
        else:
            t = Target(name, os.path.join(args.build, name, "bin", "Tavro_FrontEnd.exe"),
                       wine_prefix=os.path.join(args.build, name, "wineprefix"))
            standin = os.path.join(args.build, name, "bin", "shell_standin.exe")
            t.shell_stand_ins = (lambda x, t=t, standin=standin:
                                 xwin.WineShellStandIns(t, standin))
        targets.append(t)

    passed = failed = 0
    for target in targets:
        if not target.available():
            print("FAIL %s: no program at %s" % (target.name, target.program))
            failed += 1
            continue
        for test in TESTS:
            name = "%s.%s" % (target.name, test.__name__[len("test_"):])
            if args.k not in name:
                continue
            started = time.monotonic()
            try:
                test(target, x)
                passed += 1
                print("ok   %s (%.1fs)" % (name, time.monotonic() - started), flush=True)
            except Exception as e:  # a failed check or anything unexpected
                failed += 1
                print("FAIL %s: %s" % (name, e), flush=True)
                if not isinstance(e, Failure):
                    traceback.print_exc()
    print("e2e: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
