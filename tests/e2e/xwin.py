"""What the end-to-end tests need from the X server: finding top-level windows
by title and process, their size, a polite close, a key press, and stand-ins
for the desktop and the taskbar (EWMH windows on Linux, Windows windows of the
shell's classes under Wine)."""

import os
import subprocess
import time

from Xlib import X, Xatom, display, protocol


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
        subprocess.run(["xdotool", "windowfocus", str(w.id)], check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.3)
        subprocess.run(["xdotool", "key", "--clearmodifiers", "Return"], check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class EwmhStandIns:
    """A desktop window and a dock (taskbar) window of our own, as a Linux
    desktop has them, plus an ordinary window that must be left alone."""

    def __init__(self, x):
        self.x = x
        self.windows = {}
        for kind in ("DESKTOP", "DOCK", "NORMAL"):
            w = x.root.create_window(0, 0, 200, 30, 0, X.CopyFromParent)
            w.change_property(x.atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                              [x.atom("_NET_WM_WINDOW_TYPE_" + kind)])
            w.set_wm_name("stand-in " + kind.lower())
            w.map()
            self.windows[kind] = w
        x.d.sync()

    def hide(self):
        for w in self.windows.values():
            w.unmap()
        self.x.d.sync()

    def _mapped(self, kind):
        return self.windows[kind].get_attributes().map_state != X.IsUnmapped

    def desktop_shown(self):
        return self._mapped("DESKTOP")

    def taskbar_shown(self):
        # The ordinary window is no part of the shell: it stays hidden.
        if self._mapped("NORMAL"):
            raise RuntimeError("an ordinary window was shown")
        return self._mapped("DOCK")

    def destroy(self):
        for w in self.windows.values():
            w.destroy()
        self.x.d.sync()


class WineShellStandIns:
    """Windows of the classes "Progman" ("Program Manager") and
    "Shell_TrayWnd" (empty title) made by shell_standin.exe under Wine; it
    writes their state to a file ten times a second."""

    def __init__(self, target, standin_exe):
        import tempfile
        self.dir = tempfile.mkdtemp(prefix="tavro-shell-")
        self.state = os.path.join(self.dir, "state.txt")
        env = dict(os.environ, WINEPREFIX=target.wine_prefix, WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
        self.proc = subprocess.Popen(["wine", standin_exe, target.native(self.state)], env=env,
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

    def hide(self):
        pass  # they start hidden, the desktop disabled

    def desktop_shown(self):
        s = self._read() or {}
        return s.get("desktop") == "visible,enabled"

    def taskbar_shown(self):
        s = self._read() or {}
        return s.get("taskbar") == "visible"

    def destroy(self):
        self.proc.kill()
        self.proc.wait()
        import shutil
        shutil.rmtree(self.dir, ignore_errors=True)
