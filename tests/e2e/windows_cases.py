"""End-to-end cases of the Windows builds alone, under Wine: the system's own
programs and libraries run where planted ones of the same name wait beside
the launcher and in its working folder, a batch file as the emulator
receives its names exactly, the desktop and taskbar come back when the
launcher is ended by force after 9 and 8, and a hung shell holds nothing up."""

import os
import shutil
import subprocess
import time

from harness import (Session, check, kill_all, processes, read_bytes, wait_for, wine_env)
from library_cases import (DONATE, FILE1, PLAY, emulator_path, emulator_pids, expected_launch,
                           launches, play)

WATCHER = "--tavro-shell-watcher-run"
WATCHER_PROGRAM = "Tavro_ShellWatcher.exe"
# Every library the programs load under Wine (WINEDEBUG=+loaddll through a
# start, a game, a cover, a title's icon, the donation page, 9, 8, the
# watcher); a planted shcore.dll once ran.
LIBRARIES = """advapi32.dll combase.dll comctl32.dll gdi32.dll imm32.dll kernel32.dll
    kernelbase.dll msimg32.dll msvcrt.dll ole32.dll oleaut32.dll propsys.dll rpcrt4.dll
    sechost.dll shcore.dll shell32.dll shlwapi.dll ucrtbase.dll user32.dll uxtheme.dll
    version.dll win32u.dll windowscodecs.dll winex11.drv zlib1.dll""".split()


def lay_out(s, games, file_exe="Cemu.exe"):
    """The folders a first start makes, the games, and a settings file naming
    file_exe as the emulator."""
    for folder in (("Game", "WUD_WUX"), ("Game", "RPX"), ("Emulator",), ("Image",)):
        os.makedirs(s.at(*folder))
    for name in games:
        open(s.at("Game", "WUD_WUX", name), "wb").close()
    ini = s.fresh_ini_bytes().replace(b"FileExe=Cemu.exe", b"FileExe=" + file_exe.encode())
    with open(s.ini(), "wb") as f:
        f.write(ini)


def watcher_pids(s):
    native = s.target.native(s.at(WATCHER_PROGRAM)).lower()
    return {pid for pid, argv in processes()
            if argv[0].lower() == native and WATCHER in argv[1:]}


def launcher_ended(s):
    """The launcher's own process is gone, whatever its watcher does."""
    return not (s.pids() - watcher_pids(s))


def wine(s, *command):
    """Runs a Windows program of the system or of the test build to its end."""
    subprocess.run(["wine"] + list(command), env=wine_env(s.target.wine_prefix),
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def explorer_starts(page):
    """The Explorer processes shown the page so far, by the name they run
    under; ended once seen, as the viewer is of no use here."""
    found = []
    for pid, argv in processes():
        if argv[0].lower().endswith("explorer.exe") and any(page in a for a in argv[1:]):
            found.append(argv[0])
            kill_all([pid])
    return found


def test_planted_taskkill_and_explorer_never_run(target, x):
    """A taskkill.exe, an Explorer.exe and each of LIBRARIES of ours beside
    the program and in the folder it was started from: Esc ends the emulator
    through the system's taskkill, Donate opens the page in the system's
    Explorer, 9 and 8 start the watcher; no planted file runs."""
    s = Session(target, x, label="Tavro e2e planted")
    work = os.path.join(s.base, "working folder")
    recorder = os.path.join(target.bin, "run_recorder.exe")
    library = os.path.join(target.bin, "planted_dll.dll")
    programs = [os.path.join(folder, name) for folder in (s.folder, work)
                for name in ("taskkill.exe", "Explorer.exe")]
    libraries = [os.path.join(folder, name) for folder in (s.folder, work)
                 for name in LIBRARIES]
    planted = programs + libraries
    stand_ins = target.shell_stand_ins(x, shown=True)
    try:
        lay_out(s, ["Game.wud"])
        os.mkdir(work)
        for path in programs:
            shutil.copy2(recorder, path)
        for path in libraries:
            shutil.copy2(library, path)
        shutil.copy2(target.emulator, emulator_path(s))
        win = s.start(cwd=work).main_window()
        x.click(win, *FILE1.row(0))
        play(x, s, win, 1)
        emulator = wait_for("the stand-in emulator's window",
                            lambda: x.find_window("Stand-in emulator", emulator_pids(s)))
        x.keys(emulator, "Escape")
        wait_for("Esc to end the emulator", lambda: not emulator_pids(s), 20)

        page = s.app_folder() + "\\Tavro_FrontEnd-donate.html"
        x.click(win, *DONATE.centre())
        # Wine names its own Explorer as the command line did; a planted one
        # would run under its path in our folders, and leave its record.
        seen = wait_for("an Explorer shown the page", lambda: explorer_starts(page))
        check(not any(target.native(s.base).lower() in p.lower() for p in seen),
              "Explorer started as %s" % seen)
        x.keys(win, "9")
        x.keys(win, "8")
        wait_for("9 and 8 to hide the desktop and the taskbar",
                 lambda: stand_ins.desktop_hidden() and stand_ins.taskbar_hidden(), 10)
        check(s.window("Error") is None, "an error box showed")
        check(s.close() == 0, "exit code not 0")
        wait_for("the watcher to end", lambda: not watcher_pids(s), 10)
        ran = [p for p in planted if os.path.exists(p + ".ran")]
        check(not ran, "planted files ran: %s" % ran)
    finally:
        kill_all(emulator_pids(s))
        s.cleanup()
        stand_ins.destroy()


def test_batch_file_receives_the_game_exactly(target, x):
    """FileExe names a batch file that writes down what it receives: the
    command interpreter expands nothing in the game's name."""
    game = "Odd 100%PATH%x.wud"
    s = Session(target, x, label="Tavro e2e batch")
    record = s.at("Emulator", "received.txt")
    try:
        lay_out(s, [game], "Run.bat")
        with open(s.at("Emulator", "Run.bat"), "wb") as f:
            f.write(b'@echo off\r\necho %*>>"%~dp0received.txt"\r\n')
        win = s.start().main_window()
        x.click(win, *FILE1.row(0))
        x.click(win, *PLAY.centre())
        wait_for("the batch file to write what it received", lambda: os.path.exists(record)
                 and read_bytes(record).endswith(b"\r\n"))
        path = target.native(s.at("Game", "WUD_WUX", game))
        got = read_bytes(record).decode("utf-8", "replace")
        check(got == '-g "%s"\r\n' % path, "the batch file received %r" % got)
        check(s.window("Error") is None, "an error box showed")
        check(s.close() == 0, "exit code not 0")
    finally:
        s.cleanup()


def test_forced_end_after_9_and_8_shows_desktop_and_taskbar(target, x):
    """9 and 8 hide the desktop and the taskbar; the launcher ended by force
    (no handler of its own runs: its process killed, ended by its image name
    as taskkill /f /im does, or with its tree as /t does) leaves them shown
    and enabled again, and its watcher gone. A normal close after them leaves nothing running."""
    stand_ins = target.shell_stand_ins(x, shown=True)
    s = Session(target, x)
    image = os.path.basename(s.exe)
    try:
        for end in ("kill", "image name", "tree", "close"):
            win = s.start().main_window()
            check(not watcher_pids(s), "a watcher runs with nothing hidden")
            # The first tick takes a key it finds down as held from before the
            # window: 9 is pressed once the ticks have begun.
            time.sleep(0.5)
            x.keys(win, "9")
            wait_for("9 to hide the desktop", stand_ins.desktop_hidden, 10)
            x.keys(win, "8")
            wait_for("8 to hide the taskbar", stand_ins.taskbar_hidden, 10)
            # Started through its go-between, it may still be on its way.
            wait_for("one watcher", lambda: len(watcher_pids(s)) == 1, 10)
            if end == "kill":
                kill_all(s.pids() - watcher_pids(s))
            elif end == "image name":
                wine(s, os.path.join(target.bin, "end_by_name.exe"), image)
            elif end == "tree":
                wine(s, os.path.join(target.bin, "end_by_name.exe"), "/t", image)
            else:
                x.close_window(win)
            wait_for("the launcher to end (%s)" % end, lambda: launcher_ended(s))
            if end == "close":
                check(not watcher_pids(s), "the watcher outlived a normal close")
            wait_for("the desktop and the taskbar to show again",
                     lambda: stand_ins.desktop_shown() and stand_ins.taskbar_shown(), 10)
            wait_for("the watcher to end", lambda: not watcher_pids(s), 10)
            s.proc.wait()
    finally:
        s.cleanup()
        stand_ins.destroy()


def test_a_hung_shell_holds_up_neither_close_nor_next_start(target, x):
    """The shell's process stops answering; 9, 8 and the close: the launcher
    ends (in 3 s; the bound here is generous), the next start opens, and once
    the shell answers both windows show, enabled."""
    stand_ins = target.shell_stand_ins(x, shown=True)
    s = Session(target, x)
    try:
        win = s.start().main_window()
        stand_ins.hang(True)
        x.keys(win, "9")
        x.keys(win, "8")
        wait_for("9 to start the watcher", lambda: watcher_pids(s), 10)
        x.close_window(win)
        wait_for("the launcher to end", lambda: launcher_ended(s), 10)
        s.start().main_window()
        check(s.close() == 0, "the next start's exit code not 0")
        stand_ins.hang(False)
        wait_for("the desktop and the taskbar to show again",
                 lambda: stand_ins.desktop_shown() and stand_ins.taskbar_shown(), 10)
        wait_for("the watcher to end", lambda: not watcher_pids(s), 10)
    finally:
        kill_all(watcher_pids(s))
        s.cleanup()
        stand_ins.destroy()


def test_esc_ends_a_64_bit_emulator_named_otherwise(target, x):
    """FileExe names the 64-bit emulator with a trailing dot, which Windows
    takes off: Esc ends the one Play started and one started from outside."""
    s = Session(target, x, label="Tavro e2e width")
    folder = target.native(s.at("Emulator")).lower() + "\\"
    emulators = lambda: {pid for pid, argv in processes() if argv[0].lower().startswith(folder)}
    outside = None
    try:
        lay_out(s, ["Game.wud"], "Cemu.exe.")
        # The 32-bit build makes a 64-bit stand-in of its own.
        shutil.copy2(target.emulator if target.name == "win64" else
                     os.path.join(target.bin, "stand-in-64", "Cemu.exe"), emulator_path(s))
        win = s.start().main_window()
        x.click(win, *FILE1.row(0))
        x.click(win, *PLAY.centre())
        wait_for("the emulator's start", lambda: launches(s))
        outside = subprocess.Popen(["wine", target.native(emulator_path(s))],
                                   env=wine_env(target.wine_prefix))
        wait_for("both emulators", lambda: x.count_windows("Stand-in emulator", emulators()) >= 2)
        x.keys(win, "Escape")
        wait_for("Esc to end both emulators", lambda: not emulators(), 20)
        check(s.window("Error") is None, "an error box showed")
    finally:
        kill_all(emulators())
        outside and outside.wait()
        s.cleanup()


def test_a_deep_program_folder_plays(target, x):
    """The program in a folder of 300 characters: Play starts the emulator,
    which receives its own path as it stands."""
    s = Session(target, x, label="Tavro e2e deep")
    try:
        while len(target.native(s.folder)) < 300:
            s.folder = os.path.join(s.folder, "d" * min(60, 299 - len(target.native(s.folder))))
        os.makedirs(s.folder)
        s.exe = target.install(s.folder)
        lay_out(s, ["Game.wud"])
        shutil.copy2(target.emulator, emulator_path(s))
        win = s.start().main_window()
        x.click(win, *FILE1.row(0))
        play(x, s, win, 1)
        game = target.native(s.at("Game", "WUD_WUX", "Game.wud"))
        check(launches(s) == [expected_launch(s, "-g", game)], "received %r" % launches(s))
    finally:
        kill_all(emulator_pids(s))
        s.cleanup()


# Wine's own start of a 64-bit program (its start.exe) fails from a folder
# this deep, so the 64-bit launcher cannot be opened there; its start of the
# emulator is the 32-bit one's.
test_a_deep_program_folder_plays.targets = ("win32",)

TESTS = [
    test_esc_ends_a_64_bit_emulator_named_otherwise,
    test_a_deep_program_folder_plays,
    test_planted_taskkill_and_explorer_never_run,
    test_forced_end_after_9_and_8_shows_desktop_and_taskbar,
    test_a_hung_shell_holds_up_neither_close_nor_next_start,
]
# Not run yet: Wine 8's cmd expands a batch parameter's value a second time
# when the script uses it (%1, %*), so %PATH% in a name arrives expanded
# whatever the line handed to the interpreter; Windows' cmd expands the
# line once, which the escaping undoes. Run it with -k batch where the
# interpreter is Windows' own or a Wine whose cmd expands once.
NOT_YET_RUN = [test_batch_file_receives_the_game_exactly]
