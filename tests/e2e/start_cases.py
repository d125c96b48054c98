"""How the launcher is started (Linux): with standard streams closed, with
its error output in a pipe nobody reads, from a terminal that sends Ctrl+C or
hangs up while a game runs. Each start shows the window and plays a game;
the game outlives the launcher's end, whatever ended it."""

import fcntl
import os
import select
import shutil
import subprocess
import termios
import threading
import time

from harness import Session, check, dismiss_message, kill_all, processes, wait_for
from library_cases import DISCS, FILE1, PLAY, emulator_path, emulator_pids, lay_out_library, play


def closing(redirections):
    """A shell that closes streams, then becomes the launcher ($0)."""
    return ["/bin/sh", "-c", 'exec "$0" ' + redirections]


# Qt's debug messages make the launcher write to standard error all the
# time, from its first moment: a stream in the wrong place shows at once.
CHATTY = {"QT_LOGGING_RULES": "qt.qpa.*=true;qt.widgets.*=true"}


class Terminal:
    """A pseudo-terminal whose slave is the launcher's controlling terminal
    and standard streams; what it writes is read and dropped, so a full
    terminal never blocks it."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        self.open = True
        self.drain = threading.Thread(target=self._drain, daemon=True)
        self.drain.start()

    def _drain(self):
        # Never blocked in a read: a read in progress would keep the master
        # open past its close, and the hang-up would not come.
        while self.open:
            if select.select([self.master], [], [], 0.1)[0]:
                try:
                    os.read(self.master, 4096)
                except OSError:
                    return

    def start(self, cmd, env):
        def take_terminal():  # in the child, a session leader by now
            fcntl.ioctl(0, termios.TIOCSCTTY, 0)
        proc = subprocess.Popen(cmd, env=env, cwd="/", stdin=self.slave, stdout=self.slave,
                                stderr=self.slave, start_new_session=True,
                                preexec_fn=take_terminal)
        os.close(self.slave)
        return proc

    def interrupt(self):
        os.write(self.master, b"\x03")  # Ctrl+C: SIGINT to the foreground group

    def hang_up(self):
        self.close()  # the last close of the master: SIGHUP

    def close(self):
        if self.open:
            self.open = False
            self.drain.join()
            os.close(self.master)


def start_streams(s, how):
    """Starts the launcher as the row says; returns the terminal, if any."""
    env = dict(os.environ, **CHATTY)
    if how == "pty":
        terminal = Terminal()
        env.pop("QT_LOGGING_RULES")  # only the game's survival is asked here
        s.proc = terminal.start([s.exe], env)
        return terminal
    if how == "broken pipe":
        read_end, write_end = os.pipe()
        os.close(read_end)
        s.proc = subprocess.Popen([s.exe], env=env, cwd="/", stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=write_end)
        os.close(write_end)
        return None
    s.proc = subprocess.Popen(closing(how) + [s.exe], env=env, cwd="/")
    return None


# The standard stream each redirection closes.
CLOSES = {"<&-": 0, ">&-": 1, "2>&-": 2}

# (what the row is, how the launcher is started, how it is ended, exit code)
STARTS = [
    ("descriptors 0 to 2 closed", "<&- >&- 2>&-", "close", 0),
    ("standard output and error closed", ">&- 2>&-", "close", 0),
    ("standard error a pipe whose reader has gone", "broken pipe", "close", 0),
    ("a terminal's Ctrl+C while the game runs", "pty", "interrupt", -2),
    ("the terminal closed while the game runs", "pty", "hang up", -1),
]


def test_started_from_anywhere_the_game_outlives_the_launcher(target, x):
    for what, how, end, code in STARTS:
        s = Session(target, x)
        terminal = None
        try:
            lay_out_library(s)
            shutil.copy2(target.emulator, emulator_path(s))
            terminal = start_streams(s, how)
            win = wait_for("the window (%s)" % what, lambda: s.window("Tavro FrontEnd"), 30)
            # Each stream closed at the start is the null device now, none
            # left for the first file the launcher opens.
            for fd in [CLOSES[r] for r in how.split() if r in CLOSES]:
                target_of = os.readlink("/proc/%d/fd/%d" % (s.proc.pid, fd))
                check(target_of == "/dev/null", "%s: descriptor %d is %s" % (what, fd, target_of))
            x.click(win, *FILE1.row(0))
            play(x, s, win, 1)
            check(s.proc.poll() is None, "%s: the launcher ended after Play" % what)
            if end == "close":
                rc = s.close()
            else:
                terminal.interrupt() if end == "interrupt" else terminal.hang_up()
                rc = s.wait_end("the launcher to end (%s)" % what)
            check(rc == code, "%s: exit code %s, not %s" % (what, rc, code))
            time.sleep(0.5)  # a signal that reached the game has ended it by now
            check(emulator_pids(s), "%s: the game ended with the launcher" % what)
        finally:
            kill_all(emulator_pids(s))
            s.cleanup()
            if terminal:
                terminal.close()


test_started_from_anywhere_the_game_outlives_the_launcher.targets = ("linux",)


class FakeFlatpak:
    """A flatpak of our own, first on the launcher's PATH: records each
    start's arguments; "run" then stays, as the real one does while the
    application runs. The user's installation lies under XDG_DATA_HOME."""

    STAY = "86399.25"  # what the staying process is known by

    def __init__(self, base):
        self.dir = os.path.join(base, "fake-flatpak")
        self.record = os.path.join(self.dir, "record")
        os.makedirs(os.path.join(self.dir, "bin"))
        script = os.path.join(self.dir, "bin", "flatpak")
        with open(script, "w") as f:
            f.write("#!/bin/sh\n{ printf '%%s\\037' \"$@\"; echo; } >>'%s'\n"
                    "[ \"$1\" = run ] && exec sleep %s\nexit 0\n" % (self.record, self.STAY))
        os.chmod(script, 0o755)
        self.app = os.path.join(self.dir, "data", "flatpak", "app", "info.cemu.Cemu")
        self.env = dict(os.environ, PATH=os.path.join(self.dir, "bin") + os.pathsep +
                        os.environ.get("PATH", ""), XDG_DATA_HOME=os.path.join(self.dir, "data"),
                        FLATPAK_SYSTEM_DIR=os.path.join(self.dir, "system"))

    def starts(self):
        try:
            with open(self.record, encoding="utf-8") as f:
                return [line.split("\037")[:-1] for line in f.read().splitlines()]
        except FileNotFoundError:
            return []

    def staying(self):
        return [pid for pid, argv in processes() if argv == ["sleep", self.STAY]]


def test_a_flatpak_is_played_and_ended_through_flatpak(target, x):
    """Flatpak= wins over a FileExe that is not there: not installed, the
    alert; installed, Play runs it with the mode's words and the game; Esc
    ends it with flatpak kill."""
    s = Session(target, x)
    fake = FakeFlatpak(s.base)
    try:
        lay_out_library(s)
        ini = s.fresh_ini_bytes().replace(b"FullMode=-f -g\r\n",
                                          b"FullMode=-f -g\r\nFlatpak=info.cemu.Cemu\r\n")
        with open(s.ini(), "wb") as f:
            f.write(ini)
        s.proc = subprocess.Popen([s.exe], env=fake.env, cwd="/", stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        win = s.main_window()
        x.click(win, *FILE1.row(0))
        x.click(win, *PLAY.centre())
        dismiss_message(x, s, "Alert!")
        check(fake.starts() == [], "started while not installed: %r" % fake.starts())
        os.makedirs(fake.app)
        x.click(win, *PLAY.centre())
        game = s.at("Game", "WUD_WUX", DISCS[0][0])
        wait_for("flatpak to be run", fake.starts)
        check(fake.starts() == [["run", "info.cemu.Cemu", "-g", game]], "got %r" % fake.starts())
        wait_for("flatpak run to stay", fake.staying)
        x.keys(win, "Escape")
        wait_for("flatpak kill", lambda: len(fake.starts()) >= 2)
        check(fake.starts()[1] == ["kill", "info.cemu.Cemu"], "got %r" % fake.starts())
        check(s.window("Error") is None, "an error box showed")
        check(s.close() == 0, "exit code not 0")
    finally:
        kill_all(fake.staying())
        s.cleanup()


test_a_flatpak_is_played_and_ended_through_flatpak.targets = ("linux",)

TESTS = [
    test_started_from_anywhere_the_game_outlives_the_launcher,
    test_a_flatpak_is_played_and_ended_through_flatpak,
]
