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

from harness import Session, check, kill_all, wait_for
from library_cases import FILE1, emulator_path, emulator_pids, lay_out_library, play


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

TESTS = [
    test_started_from_anywhere_the_game_outlives_the_launcher,
]
