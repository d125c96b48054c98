#!/usr/bin/env python3
"""Esc through the desktop portal on Wayland desktops, with the real launcher
and the stand-in emulator, each case on a private D-Bus:

- kde: a headless KWin (its own XWayland), KDE's portal backend and
  xdg-desktop-portal; Play Game, a real Esc typed through KWin's fake input
  ends the game, and Esc is bound only while the game runs.
- stand-in portal cases (the launcher on Xvfb, told it is on Wayland): the
  BindShortcuts path, a desktop that already has the shortcut, error answers,
  and no portal at all.

    run_wayland.py --build BUILD_ROOT      (needs DISPLAY)
Ends with "N passed, N failed".
"""

import glob, os, shutil, subprocess, sys, tempfile, time  # noqa: E401

import dbus
import dbus.mainloop.glib
import dbus.service

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))
import xwin  # noqa: E402
from harness import check, processes, wait_for  # noqa: E402
from library_cases import FILE1, PLAY  # noqa: E402

APP_ID, TOKEN, ID = "org.example.TavroFrontEnd", "tavro_frontend", "close-game"
PORTAL = "/org/freedesktop/portal/desktop"
GS = "org.freedesktop.portal.GlobalShortcuts"
# A bus that starts nothing on demand: no portal of this machine's answers.
BARE_BUS = ("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><policy context="
            "'default'><allow send_destination='*' eavesdrop='true'/><allow eavesdrop='true'/>"
            "<allow own='*'/></policy></busconfig>")


class Case:
    """A temporary tree: a private bus, the launcher's folder with one game and
    the stand-in emulator, and what the case starts (ended at the end)."""

    def __init__(self, build, bare):
        self.build, self.tmp, self.procs = build, tempfile.mkdtemp(prefix="tavro-wl-"), []
        self.app = os.path.join(self.tmp, "app")
        os.makedirs(os.path.join(self.app, "Game", "WUD_WUX"))
        os.makedirs(os.path.join(self.app, "Emulator"))
        open(os.path.join(self.app, "Game", "WUD_WUX", "Alpha.wud"), "w").close()
        shutil.copy(os.path.join(build, "bin", "stand-in", "Cemu.exe"), self.emulator)
        shutil.copy(os.path.join(build, "bin", "Tavro_FrontEnd"), self.app)
        config = os.path.join(self.tmp, "bus.conf")
        with open(config, "w") as f:
            f.write(BARE_BUS)
        bus = self.start(["dbus-daemon", "--nofork", "--print-address=1",
                          "--config-file=" + config if bare else "--session"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.run = os.path.join(self.tmp, "run")
        os.mkdir(self.run, 0o700)
        self.env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().decode().strip(),
                        XDG_RUNTIME_DIR=self.run)
        self.bus = dbus.bus.BusConnection(self.env["DBUS_SESSION_BUS_ADDRESS"])

    emulator = property(lambda self: os.path.join(self.app, "Emulator", "Cemu.exe"))

    def start(self, cmd, env=None, stdin=subprocess.DEVNULL, **kw):
        self.procs.append(subprocess.Popen(cmd, env=env, stdin=stdin, start_new_session=True, **kw))
        return self.procs[-1]

    def owned(self, name):
        wait_for(name + " on the bus", lambda: self.bus.name_has_owner(name), 10)

    def launcher(self, env):
        self.err = os.path.join(self.tmp, "stderr")
        self.launcher_proc = self.start([os.path.join(self.app, "Tavro_FrontEnd")], env,
                                        stderr=open(self.err, "w"))

    def errors(self):
        return open(self.err).read().splitlines()

    def emulators(self):
        return [pid for pid, argv in processes() if argv[0] == self.emulator]

    def played(self):
        wait_for("the emulator's start", self.emulators, 10)

    def cleanup(self):
        for p in reversed(self.procs):  # each with what it started
            os.killpg(p.pid, 9)
            p.wait()
        for pid in self.emulators():
            os.kill(pid, 9)
        shutil.rmtree(self.tmp, ignore_errors=True)


def component_active(c):
    """Whether KDE holds Esc for the launcher now; None before it ever did."""
    try:
        return bool(c.bus.call_blocking("org.kde.kglobalaccel", "/component/" + TOKEN,
                                        "org.kde.kglobalaccel.Component", "isActive", "", []))
    except dbus.DBusException:
        return None


def test_kde(c):
    os.makedirs("/tmp/.X11-unix", mode=0o1777, exist_ok=True)
    home = os.path.join(c.tmp, "home")
    apps = os.path.join(home, ".local", "share", "applications")
    os.makedirs(apps)
    fake = os.path.realpath(os.path.join(c.build, "bin", "fake_input"))
    with open(os.path.join(apps, "tavro-fake-input.desktop"), "w") as f:
        f.write("[Desktop Entry]\nType=Application\nName=fake input\nNoDisplay=true\nExec=%s\n"
                "X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n" % fake)
    env = {k: v for k, v in c.env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(HOME=home, XDG_CURRENT_DESKTOP="KDE", XDG_SESSION_TYPE="wayland",
               KWIN_COMPOSE="Q")
    env.pop("QT_QPA_PLATFORM", None)
    # The installed program carries a file capability a container refuses.
    kwin = shutil.copy("/usr/bin/kwin_wayland", c.tmp)
    log, where = os.path.join(c.tmp, "kwin.log"), os.path.join(c.tmp, "display")
    c.start([kwin, "--virtual", "--xwayland", "--width", "1280", "--height", "800", "--socket",
             "tavro-wl", "sh -c 'echo $DISPLAY > %s'" % where],
            env, stdout=open(log, "w"), stderr=subprocess.STDOUT)
    wait_for("KWin and its XWayland", lambda: os.path.exists(where) and open(where).read(), 20)
    env.update(WAYLAND_DISPLAY="tavro-wl", DISPLAY=open(where).read().strip())
    backend = glob.glob("/usr/lib/*/libexec/xdg-desktop-portal-kde")[0]
    c.start([backend], dict(env, QT_QPA_PLATFORM="offscreen"), stderr=subprocess.DEVNULL)
    c.owned("org.freedesktop.impl.portal.desktop.kde")
    c.start(["/usr/libexec/xdg-desktop-portal"], env, stderr=subprocess.DEVNULL)
    c.owned("org.freedesktop.portal.Desktop")
    injector = c.start([fake], env, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    check(injector.stdout.readline() == b"ready\n", "KWin refused the fake input")

    def inject(*command):
        injector.stdin.write(b"%s\n" % " ".join(map(str, command)).encode())
        injector.stdin.flush()

    c.launcher(env)

    script = os.path.join(c.tmp, "where.js")
    with open(script, "w") as f:
        f.write('workspace.clientList().forEach(function (w) { if (w.pid == %d) print("AT " + '
                'w.bufferGeometry.x + " " + w.bufferGeometry.y + " " + w.desktopFileName); });'
                % c.launcher_proc.pid)

    def window():  # a KWin script tells where the launcher's window is
        scripting = ("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting")
        c.bus.call_blocking(*scripting, "loadScript", "ss", [script, str(time.monotonic())])
        c.bus.call_blocking(*scripting, "start", "", [])
        return [l.split()[2:] for l in open(log, errors="replace") if l.startswith("js: AT ")]

    x, y, desktop_file = wait_for("the launcher's window", window, 20)[-1]
    check(desktop_file == APP_ID, "the window is no Wayland window of %s: %r" % (APP_ID, desktop_file))
    check(component_active(c) is None, "Esc was bound before Play Game")
    for at in (FILE1.row(0), PLAY.centre()):
        inject("click", int(x) + at[0], int(y) + at[1])
    c.played()
    wait_for("Esc bound while the game runs", lambda: component_active(c), 10)
    inject("key", 1)  # KEY_ESC
    wait_for("the game's end on Esc", lambda: not c.emulators(), 10)
    wait_for("Esc free again once the game ended", lambda: component_active(c) is False, 10)
    check(c.errors() == [], "the launcher said %r" % c.errors())


def serve_portal(scenario, log):
    """The stand-in: GlobalShortcuts, its requests and sessions, the registry
    and systemd's StartTransientUnit; every call noted in log; Fire sends
    Activated for the last session."""
    from gi.repository import GLib
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus, note = dbus.SessionBus(), open(log, "a", buffering=1).write

    class Request(dbus.service.Object):
        @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
        def Response(self, code, results):
            GLib.idle_add(self.remove_from_connection)

    class Session(dbus.service.Object):
        @dbus.service.method("org.freedesktop.portal.Session")
        def Close(self):
            note("Close\n")

    class Portal(dbus.service.Object):
        SUPPORTS_MULTIPLE_OBJECT_PATHS = True
        session = None

        def answer(self, sender, options, code=0, **results):
            path = "%s/request/%s/%s" % (PORTAL, sender[1:].replace(".", "_"), options["handle_token"])
            request = Request(bus, path)
            GLib.idle_add(lambda: request.Response(code, results))
            return dbus.ObjectPath(path)

        @dbus.service.method(GS, "a{sv}", "o", sender_keyword="s")
        def CreateSession(self, options, s):
            note("CreateSession %s\n" % [(str(i), str(o["preferred_trigger"]), str(o["description"]))
                                         for i, o in options["shortcuts"]])
            if scenario == "error":
                raise dbus.DBusException("stand-in refuses", name="org.freedesktop.DBus.Error.Failed")
            self.session = "%s/session/%s/%s" % (PORTAL, s[1:].replace(".", "_"),
                                                  options["session_handle_token"])
            Session(bus, self.session)
            return self.answer(s, options, 2 if scenario == "refused" else 0,
                               session_handle=self.session)

        @dbus.service.method(GS, "oa{sv}", "o", sender_keyword="s")
        def ListShortcuts(self, session, options, s):
            note("ListShortcuts\n")
            listed = [(ID, {"description": "x"})] if scenario == "listed" else []
            return self.answer(s, options, shortcuts=dbus.Array(listed, signature="(sa{sv})"))

        @dbus.service.method(GS, "oa(sa{sv})sa{sv}", "o", sender_keyword="s")
        def BindShortcuts(self, session, shortcuts, parent, options, s):
            note("BindShortcuts %s\n" % [str(i) for i, _ in shortcuts])
            return self.answer(s, options, shortcuts=shortcuts)

        @dbus.service.signal(GS, signature="osta{sv}")
        def Activated(self, session, shortcut, timestamp, options):
            pass

        @dbus.service.method("org.tavro.Test")
        def Fire(self):
            self.Activated(self.session, ID, 0, {})

        @dbus.service.method("org.freedesktop.host.portal.Registry", "sa{sv}")
        def Register(self, app_id, options):
            note("Register %s\n" % app_id)

        @dbus.service.method("org.freedesktop.DBus.Properties", "ss", "v")
        def Get(self, interface, name):
            return dbus.UInt32(1)

        @dbus.service.method("org.freedesktop.systemd1.Manager", "ssa(sv)a(sa(sv))", "o")
        def StartTransientUnit(self, name, mode, properties, aux):
            note("StartTransientUnit %s %s\n" % (name, [int(p) for p in dict(properties)["PIDs"]]))
            return dbus.ObjectPath("/job/1")

    Portal(bus, PORTAL).add_to_connection(bus, "/org/freedesktop/systemd1")
    names = [dbus.service.BusName(n, bus) for n in ("org.freedesktop.systemd1", "org.freedesktop.portal.Desktop")]
    GLib.MainLoop().run()
    return names


# scenario: what the stand-in answers; bound: BindShortcuts expected; said: the
# one line the launcher writes, None for none.
STAND_IN_CASES = [
    ("bind", True, None),
    ("listed", False, None),
    ("error", False, "Esc could not be bound through the portal (org.freedesktop.DBus.Error.Failed"),
    ("refused", False, "Esc could not be bound through the portal (the desktop refused"),
    ("absent", False, "this Wayland desktop offers no global shortcuts through its portal"),
]


def test_stand_in(c, scenario, bound, said):
    log = os.path.join(c.tmp, "calls")
    open(log, "w").close()
    if scenario != "absent":
        c.start([sys.executable, __file__, "--serve-portal", scenario, log], c.env)
        c.owned("org.freedesktop.portal.Desktop")
    c.launcher(dict(c.env, WAYLAND_DISPLAY="tavro-none", QT_QPA_PLATFORM="xcb"))
    x = xwin.XSession()
    win = wait_for("the launcher's window", lambda: x.find_window("Tavro FrontEnd", {c.launcher_proc.pid}))
    calls = lambda: open(log).read().splitlines()  # noqa: E731
    if scenario == "absent":
        wait_for("the line on standard error", c.errors, 10)
    else:
        wait_for("the scope", lambda: calls(), 10)
        check(not [l for l in calls() if l.startswith("CreateSession")], "a session before Play Game")
    for at in (FILE1.row(0), PLAY.centre()):
        x.click(win, *at)
    c.played()
    if said:
        wait_for("the line on standard error", lambda: said in "".join(c.errors()), 10)
        time.sleep(0.5)
        check(len(c.errors()) == 1 and said in c.errors()[0], "stderr: %r" % c.errors())
        check(x.count_windows("Error", {c.launcher_proc.pid}) == 0, "a message box")
        return
    wait_for("the shortcuts listed", lambda: "ListShortcuts" in calls(), 10)
    check(calls()[:3] == ["StartTransientUnit app-%s-%d.scope [%d]" % ((APP_ID,) + (c.launcher_proc.pid,) * 2),
                          "Register " + APP_ID,
                          "CreateSession [('%s', 'Escape', '(Esc) To Close Game')]" % ID], calls())
    c.bus.call_blocking("org.freedesktop.portal.Desktop", PORTAL, "org.tavro.Test", "Fire", "", [])
    wait_for("the game's end on Activated", lambda: not c.emulators(), 10)
    wait_for("the session's close", lambda: calls()[-1] == "Close", 10)
    check(("BindShortcuts ['%s']" % ID in calls()) == bound, calls())
    check(c.errors() == [], "stderr: %r" % c.errors())


def main():
    if sys.argv[1] == "--serve-portal":
        return serve_portal(*sys.argv[2:4])
    build = sys.argv[2]
    cases = [("kde", test_kde, ())] + [("stand-in." + s[0], test_stand_in, s) for s in STAND_IN_CASES]
    only = sys.argv[3] if len(sys.argv) > 3 else ""
    passed = failed = 0
    for name, test, args in (case for case in cases if only in case[0]):
        started, c = time.monotonic(), None
        try:
            c = Case(build, bare=test is test_stand_in)
            test(c, *args)
            passed += 1
            print("ok   %s (%.1fs)" % (name, time.monotonic() - started), flush=True)
        except Exception as e:  # a failed check or anything unexpected
            failed += 1
            print("FAIL %s: %s" % (name, e), flush=True)
        finally:
            if c:
                c.cleanup()
    print("wayland: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
