#!/usr/bin/env python3
"""Esc through the desktop portal, private buses: a headless KWin with KDE's portal; a stand-in portal."""
import glob, os, shutil, subprocess, sys, tempfile, time  # noqa: E401
import dbus, dbus.mainloop.glib, dbus.service  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
import xwin  # noqa: E402
from harness import check, processes, wait_for  # noqa: E402
from library_cases import FILE1, PLAY  # noqa: E402

APP_ID, ID, FD, PIPE = "org.example.TavroFrontEnd", "close-game", "/org/freedesktop", subprocess.PIPE
GS, DESKTOP = "org.freedesktop.portal.GlobalShortcuts", "org.freedesktop.portal.Desktop"
BARE_BUS = ("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><policy context='default'><allow "
            "send_destination='*' eavesdrop='true'/><allow eavesdrop='true'/><allow own='*'/></policy></busconfig>")

class Case:  # the launcher's folder with a game and the stand-in emulator, a bus, the processes started
    def __init__(self, build, bare):
        self.build, self.tmp, self.procs = build, tempfile.mkdtemp(prefix="tavro-wl-"), []
        for folder in ("app/Game/WUD_WUX", "app/Emulator", "run", "home/.local/share/applications"):
            os.makedirs(self.path(folder), 0o700)
        self.path("app/Game/WUD_WUX/Alpha.wud", "")
        self.emulator = shutil.copy(build + "/bin/stand-in/Cemu.exe", self.path("app/Emulator"))
        self.program = shutil.copy(build + "/bin/Tavro_FrontEnd", self.path("app"))
        bus = self.start(["dbus-daemon", "--nofork", "--print-address=1", "--config-file=" +
                          self.path("bus.conf", BARE_BUS) if bare else "--session"], stdout=PIPE)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.path("run"),
                        DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().decode().strip())
        self.bus = dbus.bus.BusConnection(self.env["DBUS_SESSION_BUS_ADDRESS"])
        self.call = lambda *a: self.bus.call_blocking(*a[:4], a[4] if a[4:] else "", a[5:])
        self.owned = lambda name: wait_for(name, lambda: self.bus.name_has_owner(name), 10)
        self.said = lambda: [l for l in open(self.path("stderr")) if l.startswith("Tavro FrontEnd:")]
        self.emulators = lambda: [pid for pid, argv in processes() if argv[0] == self.emulator]
    def path(self, name, text=None):
        if text is not None:
            open(os.path.join(self.tmp, name), "w").write(text)
        return os.path.join(self.tmp, name)
    def start(self, cmd, env=None, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL):
        # Never the suite's own output: the test runner waits for every holder of that pipe.
        self.procs.append(subprocess.Popen(cmd, env=env, stdin=stdin, stdout=stdout, stderr=stderr,
                                           start_new_session=True))
        return self.procs[-1]
    def play(self, click, x=0, y=0):
        for at in (FILE1.row(0), PLAY.centre()):
            click(x + at[0], y + at[1])
        wait_for("the emulator's start", self.emulators, 10)
    def cleanup(self):
        for pid in self.emulators():  # the launcher starts its game in a session of the game's own
            os.kill(pid, 9)
        for p in reversed(self.procs):  # with what each started
            os.killpg(p.pid, 9)
            p.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)

def test_kde(c):
    kga = "org.kde.kglobalaccel"
    esc_bound = lambda: "tavro_frontend" in str(c.call(kga, "/kglobalaccel", "org.kde.KGlobalAccel", "allComponents")) \
        and bool(c.call(kga, "/component/tavro_frontend", kga + ".Component", "isActive"))  # noqa: E731
    fake = os.path.realpath(c.build + "/bin/fake_input")
    c.path("home/.local/share/applications/fake.desktop", "[Desktop Entry]\nType=Application\nName=fake\n"
           "Exec=%s\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n" % fake)
    env = {k: v for k, v in c.env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env.update(HOME=c.path("home"), XDG_CURRENT_DESKTOP="KDE", XDG_SESSION_TYPE="wayland", KWIN_COMPOSE="Q")
    # A plain copy: a container refuses the installed program's file capability.
    kwin, log = shutil.copy("/usr/bin/kwin_wayland", c.tmp), open(c.path("kwin.log"), "w")
    c.start([kwin, "--virtual", "--socket", "wl"], env, stdout=log, stderr=log)
    env.update(WAYLAND_DISPLAY="wl")
    wait_for("KWin", lambda: os.path.exists(c.path("run/wl")))
    c.start(glob.glob("/usr/lib/*/libexec/xdg-desktop-portal-kde"), dict(env, QT_QPA_PLATFORM="offscreen"))
    c.owned("org.freedesktop.impl.portal.desktop.kde")
    c.start(["/usr/libexec/xdg-desktop-portal"], env)
    c.owned(DESKTOP)
    injector = c.start([fake], env, stdin=PIPE, stdout=PIPE)
    check(injector.stdout.readline() == b"ready\n", "KWin refused the fake input")
    inject = lambda *cmd: injector.stdin.write(b"%s\n" % " ".join(map(str, cmd)).encode()) and injector.stdin.flush()  # noqa
    c.pid = c.start([c.program], env, stderr=open(c.path("stderr"), "w")).pid
    c.path("at.js", 'workspace.clientList().forEach(function (w) { if (w.pid == %d) print("AT " + w.bufferGeometry'
           '.x + " " + w.bufferGeometry.y + " " + w.desktopFileName); });' % c.pid)
    scripting = ("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting")
    window = lambda: (c.call(*scripting, "loadScript", "ss", c.path("at.js"), str(time.monotonic())),  # noqa
                      c.call(*scripting, "start"), [l.split()[2:] for l in open(c.path("kwin.log"), errors="replace")
                                                    if l.startswith("js: AT")])[-1]
    x, y, desktop_file = wait_for("the launcher's window, as KWin shows it", window, 20)[-1]
    check(desktop_file == APP_ID, "no Wayland window of %s: %r" % (APP_ID, desktop_file))
    check(not esc_bound(), "Esc bound before Play Game")
    c.play(lambda x, y: inject("click", x, y), int(x), int(y))
    wait_for("Esc bound while the game runs", esc_bound, 10)
    inject("key", 1)  # KEY_ESC
    wait_for("the game's end on Esc", lambda: not c.emulators(), 10)
    wait_for("Esc free again after the game", lambda: not esc_bound(), 10)

def serve_portal(scenario, log):
    """Every path under /org/freedesktop: calls noted, answered by Response signals; Fire: Activated."""
    from gi.repository import GLib
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus, note = dbus.SessionBus(), open(log, "a", buffering=1).write
    path = lambda kind, s, token: "/portal/desktop/%s/%s/%s" % (kind, s[1:].replace(".", "_"), token)  # noqa
    method = lambda iface, sig, out=None: dbus.service.method(iface, sig, out, sender_keyword="s")  # noqa
    class StandIn(dbus.service.FallbackObject):
        def answer(self, s, options, code=0, **results):
            rel = path("request", s, options["handle_token"])
            GLib.idle_add(lambda: self.Response(code, results, rel_path=rel))
            return dbus.ObjectPath(FD + rel)
        @dbus.service.signal("org.freedesktop.portal.Request", "ua{sv}", rel_path_keyword="rel_path")
        def Response(self, code, results, rel_path=None): pass
        @dbus.service.signal(GS, "osta{sv}", rel_path_keyword="rel_path")
        def Activated(self, session, shortcut, timestamp, options, rel_path=None): pass
        @method(GS, "a{sv}", "o")
        def CreateSession(self, o, s):
            note("CreateSession %s\n" % [(str(i), str(v["preferred_trigger"]), str(v["description"])) for i, v in o["shortcuts"]])
            if scenario == "error":
                raise dbus.DBusException("stand-in refuses", name="org.freedesktop.DBus.Error.Failed")
            self.session = FD + path("session", s, o["session_handle_token"])
            return self.answer(s, o, 2 if scenario == "refused" else 0, session_handle=self.session)
        @method(GS, "oa{sv}", "o")
        def ListShortcuts(self, session, o, s):
            note("ListShortcuts\n")
            listed = [(ID, {"description": "x"})] if scenario == "listed" else []
            return self.answer(s, o, shortcuts=dbus.Array(listed, signature="(sa{sv})"))
        @method(GS, "oa(sa{sv})sa{sv}", "o")
        def BindShortcuts(self, session, shortcuts, parent, o, s):
            note("BindShortcuts %s %s\n" % ([str(i) for i, _ in shortcuts], parent[:4]))
            return self.answer(s, o, shortcuts=shortcuts)
        @method("org.freedesktop.portal.Session", "")
        def Close(self, s): note("Close\n")
        @method("org.tavro.Test", "")
        def Fire(self, s): self.Activated(self.session, ID, 0, {}, rel_path="/portal/desktop")
        @method("org.freedesktop.host.portal.Registry", "sa{sv}")
        def Register(self, app_id, o, s): note("Register %s\n" % app_id)
        @method("org.freedesktop.DBus.Properties", "ss", "v")
        def Get(self, interface, name, s): return dbus.UInt32(1)
        @method("org.freedesktop.systemd1.Manager", "ssa(sv)a(sa(sv))", "o")
        def StartTransientUnit(self, name, mode, properties, aux, s):
            note("StartTransientUnit %s %s\n" % (name, list(map(int, dict(properties)["PIDs"]))))
            return dbus.ObjectPath("/job/1")
    keep = [StandIn(bus, FD), dbus.service.BusName("org.freedesktop.systemd1", bus), dbus.service.BusName(DESKTOP, bus)]
    GLib.MainLoop().run()  # with keep alive

# What the stand-in answers; BindShortcuts due; the one line the launcher then writes.
STAND_IN_CASES = [("bind", True, None), ("listed", False, None), ("error", False, "bound through the portal (org."
                  "freedesktop.DBus.Error.Failed"), ("refused", False, "bound through the portal (the desktop refused"),
                  ("absent", False, "this Wayland desktop offers no global shortcuts through its portal")]

def test_stand_in(c, scenario, bound, said):
    calls = lambda: open(c.path("calls")).read().splitlines()  # noqa: E731
    if c.path("calls", "") and scenario != "absent":
        c.start([sys.executable, __file__, "--serve-portal", scenario, c.path("calls")], c.env)
        c.owned(DESKTOP)
    c.pid = c.start([c.program], dict(c.env, WAYLAND_DISPLAY="none", QT_QPA_PLATFORM="xcb"),
                    stderr=open(c.path("stderr"), "w")).pid
    x = xwin.XSession()
    win = wait_for("the launcher's window", lambda: x.find_window("Tavro FrontEnd", {c.pid}))
    wait_for("the portal asked", c.said if scenario == "absent" else calls, 10)
    check(not [line for line in calls() if "Session" in line], "a session before Play Game")
    c.play(lambda x_, y_: x.click(win, x_, y_))
    if said:
        wait_for("the line on standard error", lambda: said in "".join(c.said()), 10)
        time.sleep(0.5)
        return check(len(c.said()) == 1 and not x.count_windows("Error", {c.pid}), "%r or a box" % c.said())
    wait_for("the shortcuts listed", lambda: "ListShortcuts" in calls(), 10)
    c.call(DESKTOP, FD + "/portal/desktop", "org.tavro.Test", "Fire")
    wait_for("the game's end on Activated", lambda: not c.emulators(), 10)
    wait_for("the session's close", lambda: calls()[-1] == "Close", 10)
    check(calls()[:3] == ["StartTransientUnit app-%s-%d.scope [%d]" % (APP_ID, c.pid, c.pid), "Register " + APP_ID,
                          "CreateSession [('%s', 'Escape', '(Esc) To Close Game')]" % ID]
          and ("BindShortcuts ['%s'] x11:" % ID in calls()) == bound and not c.said(), (calls(), c.said()))

def main():
    if sys.argv[1] == "--serve-portal":
        return serve_portal(*sys.argv[2:4])
    cases, failed = [("kde", test_kde, ())] + [("stand-in." + s[0], test_stand_in, s) for s in STAND_IN_CASES], 0
    for name, test, args in cases:
        c = Case(sys.argv[2], bare=test is test_stand_in)
        try:
            test(c, *args)
            print("ok   " + name, flush=True)
        except Exception as e:  # a failed check or anything unexpected
            failed += 1
            print("FAIL %s: %s" % (name, e), flush=True)
        c.cleanup()
    print("wayland: %d passed, %d failed" % (len(cases) - failed, failed))
    return 1 if failed else 0

sys.exit(main())
