"""What every end-to-end case shares: waiting for a condition, a build of the
program (Linux, or a Windows build under Wine) and a fresh program folder
with the running program in it."""

import os
import shutil
import subprocess
import tempfile
import time

WAIT = 60.0  # seconds: an upper bound for slow machines, never a target


class Failure(Exception):
    pass


# Set by the runner for each case: saves what the screen shows at the moment
# a check fails, before the case's clean-up closes the windows.
on_failure = None


def fail(message):
    if on_failure:
        on_failure()
    raise Failure(message)


def check(condition, message):
    if not condition:
        fail(message)


def wait_for(what, predicate, timeout=WAIT):
    """Polls predicate until it gives something true; fails after timeout."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            fail("gave up waiting for " + what)
        time.sleep(0.1)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def wine_env(prefix):
    return dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
                WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")


def processes():
    """(pid, argv) of every live process; Wine shows a Windows program's
    own path as argv[0] and its command line split into the rest."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                argv = f.read().rstrip(b"\0").split(b"\0")
            with open("/proc/%s/stat" % entry) as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
        except OSError:
            continue
        if state != "Z" and argv != [b""]:
            found.append((int(entry), [a.decode("utf-8", "replace") for a in argv]))
    return found


def kill_all(pids):
    for pid in pids:
        try:
            os.kill(pid, 9)
        except OSError:
            pass


class Target:
    """One build of the program: how to copy it into a folder and start it."""

    def __init__(self, name, bin_dir, program, wine_prefix=None, companions=()):
        self.name = name
        self.bin = bin_dir
        self.program = os.path.join(bin_dir, program)
        self.wine_prefix = wine_prefix
        self.emulator = os.path.join(bin_dir, "stand-in", "Cemu.exe")
        # The programs shipped beside the program (the Windows shell watcher).
        self.companions = list(companions)

    def available(self):
        return all(os.path.isfile(p) for p in
                   [self.program, self.emulator] + [os.path.join(self.bin, c) for c in self.companions])

    def install(self, folder):
        for companion in self.companions:
            shutil.copy2(os.path.join(self.bin, companion), os.path.join(folder, companion))
        dest = os.path.join(folder, os.path.basename(self.program))
        shutil.copy2(self.program, dest)
        return dest

    def start(self, exe, env=None, wrap=(), cwd="/"):
        """Starts the program in the working folder cwd; wrap is a command
        that runs it (one that enters a mount namespace, say)."""
        env = dict(env or os.environ)
        if self.wine_prefix:
            env.update(wine_env(self.wine_prefix))
            cmd = ["wine", exe]
        else:
            cmd = [exe]
        return subprocess.Popen(list(wrap) + cmd, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
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

    def start(self, env=None, wrap=(), cwd="/"):
        self.proc = self.target.start(self.exe, env, wrap, cwd)
        return self

    def at(self, *parts):
        return os.path.join(self.folder, *parts)

    def entries(self):
        """The folder's names but the programs shipped beside the program."""
        return sorted(n for n in os.listdir(self.folder) if n not in self.target.companions)

    def ini(self):
        return self.at("Tavro_FrontEnd.ini")

    def app_folder(self):
        return self.target.native(self.folder)

    def fresh_ini_bytes(self):
        app, s = self.app_folder(), self.target.sep()
        text = ("[EmulatorConfig]\r\nFileExe=Cemu.exe\r\nWinMode=-g\r\nFullMode=-f -g\r\n"
                "[TavroFrontEndCnfig]\r\nDirRpx={0}{1}Game{1}RPX\r\n"
                "DirWudWux={0}{1}Game{1}WUD_WUX\r\n").format(app, s)
        return text.encode("utf-8", "surrogateescape")  # a folder's bytes as they are

    def pids(self):
        """The processes that are this program. Under Wine a 64-bit program
        runs in a process of its own, whose command line is the program's
        Windows path; the "wine" process we started may be gone by then."""
        found = set()
        if self.proc.poll() is None:
            found.add(self.proc.pid)
        if self.target.wine_prefix:
            native = self.target.native(self.exe).lower()
            found.update(pid for pid, argv in processes() if argv[0].lower() == native)
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
            kill_all(self.pids())
            self.proc.wait()
        shutil.rmtree(self.base, ignore_errors=True)


def dismiss_message(x, session, title="Error"):
    box = wait_for('a message box titled "%s"' % title, lambda: session.window(title))
    x.press_return(box)
    wait_for("the message box to close", lambda: not x.is_viewable(box) or session.ended())
