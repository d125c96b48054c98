"""What the end-to-end tests need from the X server: finding top-level windows
by title and process, their size, a polite close, a key press, and stand-ins
for the desktop and the taskbar (EWMH windows on Linux, Windows windows of the
shell's classes under Wine)."""

import os
import shutil
import subprocess
import tempfile
import time

from PIL import Image
from Xlib import X, Xatom, display, protocol

from harness import wine_env


class XSession:
    def __init__(self):
        self.d = display.Display()
        self.root = self.d.screen().root
        self.atom = lambda name: self.d.intern_atom(name)

    def _top_levels(self):
        # Without a window manager the top-level windows are the root's
        # children; with one, they may sit one level below a frame.
        out = []
        for w in self.root.query_tree().children:
            out.append(w)
            try:
                out.extend(w.query_tree().children)
            except Exception:
                pass
        return out

    def _title(self, w):
        try:
            p = w.get_full_property(self.atom("_NET_WM_NAME"), self.atom("UTF8_STRING"))
            if p and p.value:
                v = p.value
                return v.decode("utf-8", "replace") if isinstance(v, bytes) else v
            name = w.get_wm_name()
            return name.decode("latin-1") if isinstance(name, bytes) else name
        except Exception:
            return None

    def _pid(self, w):
        try:
            p = w.get_full_property(self.atom("_NET_WM_PID"), Xatom.CARDINAL)
            return int(p.value[0]) if p else None
        except Exception:
            return None

    def is_viewable(self, w):
        try:
            return w.get_attributes().map_state == X.IsViewable
        except Exception:
            return False

    def windows(self, title, pids=None):
        """The viewable top-level windows with this title (and of one of these
        processes, where the window names its process)."""
        found = []
        for w in self._top_levels():
            if self._title(w) != title or not self.is_viewable(w):
                continue
            if pids is not None:
                wp = self._pid(w)
                if wp is not None and wp not in pids:
                    continue
            found.append(w)
        return found

    def find_window(self, title, pids=None):
        found = self.windows(title, pids)
        return found[0] if found else None

    def count_windows(self, title, pids=None):
        return len(self.windows(title, pids))

    def client_size(self, w):
        g = w.get_geometry()
        return g.width, g.height

    def close_window(self, w):
        """Asks the window to close, as a window manager's close box does."""
        protocols = self.atom("WM_PROTOCOLS")
        delete = self.atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(
            window=w, client_type=protocols,
            data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        w.send_event(event, event_mask=X.NoEventMask)
        self.d.flush()

    def press_return(self, w):
        """Gives the window the keyboard and presses Return on it."""
        self.keys(w, "Return")

    def focus(self, w):
        """Gives the window the X keyboard focus and waits until it has it.
        Without a window manager nothing else moves the focus."""
        _xdotool("windowfocus", "--sync", str(w.id))

    def keys(self, w, *names):
        """Presses and releases each key in turn, with the focus on w. The
        events queue behind the focus change, so the program sees them there."""
        self.focus(w)
        _xdotool("key", "--clearmodifiers", *names)

    def click(self, w, x, y):
        """Clicks the left button at (x, y) of the window's own area."""
        _xdotool("mousemove", "--window", str(w.id), str(x), str(y), "click", "1")

    def origin(self, w):
        """Where the window's own area starts on the screen."""
        at = self.root.translate_coords(w, 0, 0)
        return at.x, at.y

    def pixels(self, w, x, y, width, height):
        """The colours (r, g, b) of a rectangle of the window as the screen
        shows it, row by row: what a person looking at it sees."""
        ox, oy = self.origin(w)
        image = self.root.get_image(ox + x, oy + y, width, height, X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        if image.depth != 24 or len(data) != width * height * 4:
            raise RuntimeError("expected a 24-bit screen with 32 bits a pixel")
        # Xvfb's 24-bit TrueColor: blue, green, red, unused.
        return [(data[i + 2], data[i + 1], data[i]) for i in range(0, len(data), 4)]

    def save_screen(self, path):
        """The whole screen as a PNG: what the screen showed when a case failed."""
        g = self.root.get_geometry()
        raw = self.root.get_image(0, 0, g.width, g.height, X.ZPixmap, 0xFFFFFFFF).data
        Image.frombytes("RGB", (g.width, g.height), raw, "raw", "BGRX").save(path)


def _xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)


# Where the shell stand-ins sit: clear of the launcher's window, which opens
# at the top-left corner of a screen without a window manager.
STAND_IN_SPOT = (900, 900)


class EwmhStandIns:
    """A desktop window and a dock (taskbar) window of our own, as a Linux
    desktop has them, plus an ordinary window that must be left alone. All
    three start shown, or hidden as the launcher's keys leave them."""

    def __init__(self, x, shown):
        self.x = x
        self.windows = {}
        self.normal_mapped = shown
        for kind in ("DESKTOP", "DOCK", "NORMAL"):
            w = x.root.create_window(*STAND_IN_SPOT, 200, 30, 0, X.CopyFromParent)
            w.change_property(x.atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                              [x.atom("_NET_WM_WINDOW_TYPE_" + kind)])
            w.set_wm_name("stand-in " + kind.lower())
            if shown:
                w.map()
            self.windows[kind] = w
        x.d.sync()

    def _mapped(self, kind):
        # The ordinary window is no part of the shell: nothing may touch it.
        normal = self.windows["NORMAL"].get_attributes().map_state != X.IsUnmapped
        if normal != self.normal_mapped:
            raise RuntimeError("an ordinary window was shown or hidden")
        return self.windows[kind].get_attributes().map_state != X.IsUnmapped

    def desktop_shown(self):
        return self._mapped("DESKTOP")

    def desktop_hidden(self):
        return not self._mapped("DESKTOP")

    def taskbar_shown(self):
        return self._mapped("DOCK")

    def taskbar_hidden(self):
        return not self._mapped("DOCK")

    def destroy(self):
        for w in self.windows.values():
            w.destroy()
        self.x.d.sync()


class WineShellStandIns:
    """Windows of the classes "Progman" ("Program Manager") and
    "Shell_TrayWnd" (empty title) made by shell_standin.exe under Wine; it
    writes their state to a file ten times a second. They start shown (the
    desktop enabled), or hidden with the desktop disabled."""

    def __init__(self, target, standin_exe, shown):
        self.dir = tempfile.mkdtemp(prefix="tavro-shell-")
        self.state = os.path.join(self.dir, "state.txt")
        env = wine_env(target.wine_prefix)
        args = [target.native(self.state), "%d,%d" % STAND_IN_SPOT] + (["shown"] if shown else [])
        self.proc = subprocess.Popen(["wine", standin_exe] + args, env=env,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        end = time.monotonic() + 60
        while self._read() is None:
            if time.monotonic() > end or self.proc.poll() is not None:
                raise RuntimeError("the shell stand-ins did not start")
            time.sleep(0.1)

    def _read(self):
        try:
            with open(self.state) as f:
                fields = dict(part.split("=") for part in f.read().split())
            return fields
        except (OSError, ValueError):
            return None

    def _hung(self):
        try:
            with open(self.state) as f:
                return f.read() == "hung\n"
        except OSError:
            return False

    def _state(self, which):
        return (self._read() or {}).get(which)

    def desktop_shown(self):
        return self._state("desktop") == "visible,enabled"

    def desktop_hidden(self):
        return self._state("desktop") == "hidden,disabled"

    def taskbar_shown(self):
        return self._state("taskbar") == "visible"

    def taskbar_hidden(self):
        return self._state("taskbar") == "hidden"

    def hang(self, hung):
        """Makes both windows' process stop answering, or answer again."""
        if hung:
            open(self.state + ".hang", "w").close()
            end = time.monotonic() + 60
            while not self._hung():
                if time.monotonic() > end:
                    raise RuntimeError("the shell stand-ins did not stop answering")
                time.sleep(0.1)
        else:
            os.remove(self.state + ".hang")

    def destroy(self):
        self.proc.kill()
        self.proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)
