"""A mount namespace of our own for the cases that need what plain file
permissions cannot give root: a read-only AppFolder, a full disk, a mount
point that is gone. A shell script sets it up; a sleeping process holds it
open, so the program runs in it across several starts (wrap()) and the test
looks into it through that process (path()).

Under Wine, wineserver opens the files for every Windows program, so it must
run inside the namespace too (see _own_wineserver)."""

import os
import shlex
import signal
import subprocess
import time

from harness import kill_all


def _namespace_of(pid):
    try:
        return os.readlink("/proc/%d/ns/mnt" % pid)
    except OSError:
        return None


def _own_wineserver(prefix):
    """Set-up that makes the first Windows program started in the namespace
    start a wineserver of its own on the same prefix. Debian's Wine names the
    server's socket folder in the prefix's file "wineserver": inside, a
    private copy of that file hides the outside's, and a tmpfs hides the
    folder it names, so the outside's server is not found and a new one
    records its own folder in the copy, never in the outside's file."""
    record = shlex.quote(os.path.join(prefix, "wineserver"))
    return (
        "[ -e {0} ] || : >{0}\n"
        "hide=/tmp/$(cat {0})\n"
        "[ \"$hide\" != /tmp/ ] || hide=/tmp/.wine-{1}\n"
        "mkdir -p -m 700 \"$hide\"\n"
        "mount -t tmpfs -o mode=700 tavro-wine \"$hide\"\n"
        "cp {0} \"$hide/.record\"\n"
        "mount --bind \"$hide/.record\" {0}\n").format(record, os.getuid())


class MountNamespace:
    def __init__(self, setup, wine_prefix=None):
        """setup: a shell script run as root in the new namespace, naming its
        paths quoted (shlex.quote). The holder is ready once it is "sleep"."""
        if wine_prefix:
            setup = _own_wineserver(wine_prefix) + setup
        self.holder = subprocess.Popen(
            ["unshare", "-m", "--propagation", "private", "sh", "-euc",
             setup + "\nexec sleep 3600"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        end = time.monotonic() + 30
        own = _namespace_of(os.getpid())
        while True:
            if self.holder.poll() is not None:
                raise RuntimeError("the namespace's set-up failed: %s" %
                                   self.holder.stderr.read().decode(errors="replace"))
            try:
                with open("/proc/%d/cmdline" % self.holder.pid, "rb") as f:
                    running_sleep = f.read().startswith(b"sleep\0")
            except OSError:
                running_sleep = False
            if running_sleep and _namespace_of(self.holder.pid) not in (None, own):
                break
            if time.monotonic() > end:
                raise RuntimeError("the namespace's set-up did not finish")
            time.sleep(0.05)
        self.ns = _namespace_of(self.holder.pid)

    def wrap(self):
        """The command that runs a program inside the namespace."""
        return ["nsenter", "-m", "-t", str(self.holder.pid), "--"]

    def run(self, script):
        """Runs a shell script inside the namespace (changing its mounts, say)."""
        subprocess.run(self.wrap() + ["sh", "-euc", script], check=True, timeout=60,
                       stdin=subprocess.DEVNULL)

    def path(self, path):
        """Where the test sees a path as the namespace sees it."""
        return "/proc/%d/root%s" % (self.holder.pid, path)

    def close(self):
        """Ends every process in the namespace (a wineserver of its own, its
        services, the holder); the namespace and its mounts go with them."""
        pids = []
        for entry in os.listdir("/proc"):
            if entry.isdigit() and _namespace_of(int(entry)) == self.ns:
                pids.append(int(entry))
        kill_all(pids)
        if self.holder.poll() is None:
            self.holder.send_signal(signal.SIGKILL)
        self.holder.wait()
