"""Reading the words a window shows, from outside, as a person reads them off
the screen: a message box's text, the entry a drop-down list shows, the
entries of a list; and on Linux acting on a control as a screen reader does.

Linux: the accessibility tree Qt publishes over AT-SPI, on a session bus of
our own (the program runs with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1). Wine:
window_text.exe, which reads another program's controls with WM_GETTEXT."""

import os
import signal
import subprocess
import tempfile

from harness import wait_for, wine_env


class AtSpiText:
    """A private D-Bus session with the accessibility bus on it; a Qt program
    started with env() publishes its widgets there."""

    def __init__(self):
        import dbus  # only the Linux cases need it

        self.dbus = dbus
        # A process group of its own: the accessibility bus and registry it
        # starts on demand end with it.
        self.daemon = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
            start_new_session=True)
        self.address = self.daemon.stdout.readline().strip()
        self._bus = None

    def env(self, base=None):
        return dict(base or os.environ, DBUS_SESSION_BUS_ADDRESS=self.address,
                    QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

    def _a11y(self):
        if self._bus is None:
            session = self.dbus.bus.BusConnection(self.address)
            launcher = session.get_object("org.a11y.Bus", "/org/a11y/bus")
            address = launcher.GetAddress(dbus_interface="org.a11y.Bus")
            self._bus = self.dbus.bus.BusConnection(str(address))
        return self._bus

    def _node(self, name, path):
        obj = self._a11y().get_object(name, path)
        acc = self.dbus.Interface(obj, "org.a11y.atspi.Accessible")
        label = obj.Get("org.a11y.atspi.Accessible", "Name",
                        dbus_interface="org.freedesktop.DBus.Properties")
        return acc, str(acc.GetRoleName()), str(label)

    def _walk(self, name, path):
        """(role, name, children, where) of the accessible and all below it;
        where: its bus name and path."""
        acc, role, label = self._node(name, path)
        return role, label, [self._walk(n, p) for n, p in acc.GetChildren()], (name, path)

    def _object(self, where, interface):
        return self.dbus.Interface(self._a11y().get_object(*where), "org.a11y.atspi." + interface)

    def _windows(self, title):
        """The trees of every top-level window titled title, in every program
        on this bus. A program that has ended fails to answer: left out."""
        found = []
        root = self._node("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")[0]
        for app_name, app_path in root.GetChildren():
            try:
                app = self._walk(app_name, app_path)
            except self.dbus.DBusException:
                continue
            found += [w for w in app[2] if w[1] == title]
        return found

    def texts(self, s, title, wrap=()):
        """The texts of the labels in the window titled title, in order."""
        out = []

        def collect(node):
            if node[0] == "label" and node[1]:
                out.append(node[1])
            for child in node[2]:
                collect(child)

        for window in self._windows(title):
            collect(window)
        return out

    def drive_shown(self, s, wrap=()):
        """The entry the drive list shows, and its entries."""
        def find(node):
            if node[0] == "combo box":
                return node
            return next((c for c in map(find, node[2]) if c), None)

        for window in self._windows("Tavro FrontEnd"):
            combo = find(window)
            if combo:
                items = [n[1] for lst in combo[2] for n in lst[2] if n[0] == "list item"]
                # Its name is what it is ("Drive"); its text, the drive shown.
                return str(self._object(combo[3], "Text").GetText(0, -1)), items
        return None, []

    def list_rows(self, s, title="Tavro FrontEnd"):
        """The rows of each list of the window, as a screen reader reads them."""
        out, todo = [], list(self._windows(title))
        while todo:
            node = todo.pop(0)
            if node[0] == "list":
                out.append([c[1] for c in node[2] if c[0] == "list item"])
            todo += node[2]
        return out

    def act(self, role, label, action, title="Tavro FrontEnd"):
        """Does the action named action ("Toggle", "Press") of the control of
        this role and name, as a screen reader does at its user's command.
        False while no such control is published."""
        def find(node):
            return node[3] if node[:2] == (role, label) else next(
                (f for f in map(find, node[2]) if f), None)

        found = next((f for f in map(find, self._windows(title)) if f), None)
        if not found:
            return False
        actions = self._object(found, "Action")
        names = [str(a[0]).lower() for a in actions.GetActions()]
        return bool(actions.DoAction(names.index(action.lower())))

    def close(self):
        os.killpg(self.daemon.pid, signal.SIGTERM)
        self.daemon.wait()


class WineText:
    """window_text.exe beside the program under test, in the same Wine."""

    def __init__(self, target):
        self.target = target
        self.exe = os.path.join(target.bin, "window_text.exe")

    def env(self, base=None):
        return dict(base or os.environ)

    def _children(self, title, wrap):
        out = tempfile.mktemp(prefix="tavro-window-text-")
        try:
            rc = subprocess.run(list(wrap) + ["wine", self.exe, self.target.native(out), title],
                                env=wine_env(self.target.wine_prefix), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                timeout=60).returncode
            if rc != 0:
                return []
            with open(out, encoding="utf-8") as f:
                return [record.split("\t", 1) for record in f.read().split("\0")[:-1]]
        finally:
            if os.path.exists(out):
                os.remove(out)

    def texts(self, s, title, wrap=()):
        return [text for cls, text in self._children(title, wrap)
                if cls.lower() == "static" and text]

    def list_rows(self, s, title="Tavro FrontEnd"):
        """The rows of each list box of the window, as LB_GETTEXT gives them."""
        out = []
        for cls, text in self._children(title, ()):
            if cls.lower() == "listbox":
                out.append([])
            elif cls == "ListBoxItem" and out:
                out[-1].append(text)
        return out

    def drive_shown(self, s, wrap=()):
        """The entry the drive list shows (its entries are not read here)."""
        combos = [text for cls, text in self._children("Tavro FrontEnd", wrap)
                  if cls.lower() == "combobox"]
        return (combos[0] if combos else None), []

    def close(self):
        pass


def reader(target):
    return WineText(target) if target.wine_prefix else AtSpiText()


def message_text(reader, s, title="Error", wrap=()):
    """Waits for a message box titled title and gives its text."""
    wait_for('a message box titled "%s"' % title, lambda: s.window(title))
    return " ".join(wait_for('the text of the box "%s"' % title,
                             lambda: reader.texts(s, title, wrap)))
