#!/usr/bin/env python3
"""End-to-end tests: the real programs (the Linux build, and the Windows builds
under Wine) started in fresh folders on the X server in $DISPLAY and driven
from outside, as a player would.

Run: run_e2e.py --build BUILD_ROOT [--targets linux,win32,win64] [-k NAME],
or with each target's build folder named: --targets win32=build/win32. Prints
one line per test and ends with "e2e: N passed, N failed".
"""

import argparse
import os
import sys
import tempfile
import time
import traceback

import fault_cases
import harness
import library_cases
import windows_cases
import start_cases
import xwin
from harness import Failure, Session, Target, check, dismiss_message, read_bytes, wait_for


# ---- start-up and shut-down; each case takes (target, x) ----

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
    stand_ins = target.shell_stand_ins(x, shown=False)
    s = Session(target, x)
    try:
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
] + library_cases.TESTS + fault_cases.TESTS + start_cases.TESTS


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", help="the build root holding linux/, win32/")
    parser.add_argument("-k", default="", help="run only tests whose name holds this")
    parser.add_argument("--targets", default="linux,win32,win64",
                        help="linux, win32, win64, each NAME or NAME=BUILD_FOLDER")
    args = parser.parse_args()

    x = xwin.XSession()
    targets = []
    for target in args.targets.split(","):
        name, _, folder = target.partition("=")
        if not folder:
            if not args.build:
                parser.error("--build is needed for a target without its folder")
            folder = os.path.join(args.build, name)
        # The programs start from "/": a relative folder would be lost.
        folder = os.path.abspath(folder)
        bin_dir = os.path.join(folder, "bin")
        if name == "linux":
            t = Target("linux", bin_dir, "Tavro_FrontEnd")
            t.shell_stand_ins = xwin.EwmhStandIns
        else:
            t = Target(name, bin_dir, "Tavro_FrontEnd.exe",
                       wine_prefix=os.path.join(folder, "wineprefix"),
                       companions=[windows_cases.WATCHER_PROGRAM])
            standin = os.path.join(bin_dir, "shell_standin.exe")
            t.shell_stand_ins = (lambda x, shown, t=t, standin=standin:
                                 xwin.WineShellStandIns(t, standin, shown))
        targets.append(t)

    passed = failed = 0
    for target in targets:
        if not target.available():
            print("FAIL %s: no program or stand-in emulator in %s" % (target.name, target.bin))
            failed += 1
            continue
        # The Windows builds' own cases: what Linux has no counterpart of.
        for test in TESTS + (windows_cases.TESTS if target.wine_prefix else []):
            name = "%s.%s" % (target.name, test.__name__[len("test_"):])
            # A case that can happen on some builds only names them.
            if args.k not in name or target.name not in getattr(test, "targets", (target.name,)):
                continue
            started = time.monotonic()
            shot = os.path.join(tempfile.gettempdir(), "tavro-e2e-%s.png" % name)
            if os.path.exists(shot):
                os.remove(shot)
            harness.on_failure = lambda shot=shot: x.save_screen(shot)
            try:
                test(target, x)
                passed += 1
                print("ok   %s (%.1fs)" % (name, time.monotonic() - started), flush=True)
            except Exception as e:  # a failed check or anything unexpected
                failed += 1
                print("FAIL %s: %s" % (name, e), flush=True)
                if os.path.exists(shot):
                    print("     the screen then: " + shot)
                if not isinstance(e, Failure):
                    traceback.print_exc()
    print("e2e: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
