#!/usr/bin/env python3
"""The packages as a user gets them: made by scripts/package.sh from the build
folders already built, unpacked into fresh folders and started from there.

    check_packages.py --build BUILD_ROOT [--no-pack]

The .deb's control fields and files, its .desktop file and icons; the program
from the unpacked .deb keeps its tree in XDG_DATA_HOME and its watcher puts a
hidden desktop back after the launcher is killed; the program from the
tarball keeps its tree beside itself; the .exe from the zip (beside its
watcher) runs under Wine in a prefix of its own and keeps its tree beside
itself. The programs run one
after another (one launcher per user) and none is left running. Needs an X
display (DISPLAY); ends with "N passed, N failed".
"""

import argparse
import glob
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
# The zip's files: the launcher and the watcher that shows the desktop and
# the taskbar again after the launcher is ended by force.
WINDOWS_PROGRAMS = ["Tavro_FrontEnd.exe", "Tavro_ShellWatcher.exe"]
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import harness  # noqa: E402
import xwin  # noqa: E402
from harness import Failure, check, fail, read_bytes, wait_for  # noqa: E402

NAME = "tavro-frontend"
APP_ID = "org.example.TavroFrontEnd"  # the .desktop file is named after it
TITLE = "Tavro FrontEnd"


def run(*cmd, **kw):
    return subprocess.run(cmd, check=True, capture_output=True, text=True, **kw).stdout


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.search(r"project\(\w+ VERSION ([0-9.]+)", f.read()).group(1)


def fresh_ini(app, sep):
    return ("[EmulatorConfig]\r\nFileExe=Cemu.exe\r\nWinMode=-g\r\nFullMode=-f -g\r\n"
            "[TavroFrontEndCnfig]\r\nDirRpx={0}{1}Game{1}RPX\r\n"
            "DirWudWux={0}{1}Game{1}WUD_WUX\r\n").format(app, sep).encode("utf-8")


def check_tree(folder, app, sep, also=()):
    """folder holds exactly a first start's tree (and also), with the settings
    file naming app as the program's folder."""
    want = sorted(["Emulator", "Game", "Image", "Tavro_FrontEnd.ini", *also])
    got = sorted(os.listdir(folder)) if os.path.isdir(folder) else None
    check(got == want, "%s holds %s, not %s" % (folder, got, want))
    check(sorted(os.listdir(os.path.join(folder, "Game"))) == ["RPX", "WUD_WUX"],
          "Game holds the two library folders")
    ini = read_bytes(os.path.join(folder, "Tavro_FrontEnd.ini"))
    check(ini == fresh_ini(app, sep), "settings file bytes: %r" % ini)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n", "%s is no PNG" % path)
    return struct.unpack(">II", head[16:24])


def desktop_entry(path):
    entry = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if "=" in line and not line.startswith("#"):
                key, value = line.rstrip("\n").split("=", 1)
                entry[key] = value
    return entry


def check_desktop_and_icons(prefix, what):
    """The .desktop file validates, starts a program the package holds and
    names an icon it installs at the theme's sizes, each PNG of its size."""
    desktop = os.path.join(prefix, "share", "applications", APP_ID + ".desktop")
    check(os.path.isfile(desktop), "%s: no %s" % (what, desktop))
    result = subprocess.run(["desktop-file-validate", desktop], capture_output=True, text=True)
    check(result.returncode == 0 and not result.stdout.strip(),
          "%s: desktop-file-validate says %r" % (what, result.stdout + result.stderr))
    entry = desktop_entry(desktop)
    exe = entry.get("Exec", "").split()[0] if entry.get("Exec") else ""
    check(os.path.isfile(os.path.join(prefix, "bin", exe)), "%s: Exec=%s is not in bin/" % (what, exe))
    icons = glob.glob(os.path.join(prefix, "share", "icons", "hicolor", "*", "apps",
                                   entry.get("Icon", "?") + ".png"))
    sizes = set()
    for icon in icons:
        folder = icon.split(os.sep)[-3]
        w, h = png_size(icon)
        check(folder == "%dx%d" % (w, h), "%s: %s is %dx%d" % (what, icon, w, h))
        sizes.add(w)
    check({16, 32, 48, 256} <= sizes, "%s: Icon=%s installed at sizes %s" %
          (what, entry.get("Icon"), sorted(sizes)))


class Packages:
    def __init__(self, build):
        self.build = build
        folder = os.path.join(build, "packages")

        def one(pattern):
            found = glob.glob(os.path.join(folder, pattern))
            check(len(found) == 1, "one %s in %s, found %s" % (pattern, folder, found))
            return found[0]
        self.deb = one("%s_*.deb" % NAME)
        self.tarball = one("%s-*.tar.gz" % NAME)
        self.zip = one("Tavro_FrontEnd-*-win32.zip")


class Launch:
    """The Linux program started from an unpacked package with a HOME and an
    XDG_DATA_HOME of its own."""

    def __init__(self, x, exe, home):
        self.x = x
        env = dict(os.environ, HOME=os.path.join(home, "home"),
                   XDG_DATA_HOME=os.path.join(home, "data"), QT_QPA_PLATFORM="xcb")
        env.pop("WAYLAND_DISPLAY", None)
        os.makedirs(env["HOME"], exist_ok=True)
        self.data = env["XDG_DATA_HOME"]
        self.proc = subprocess.Popen([exe], env=env, cwd="/", stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def window(self):
        def shown():
            if self.proc.poll() is not None:
                others = [pid for pid, argv in harness.processes()
                          if os.path.basename(argv[0]) == "Tavro_FrontEnd"]
                fail("the program ended (exit %s) before its window showed; launchers of this "
                     "user running (one per user): %s" % (self.proc.returncode, others))
            return self.x.find_window(TITLE, pids={self.proc.pid})
        return wait_for("the launcher's window", shown)

    def close_cleanly(self, exe):
        """Closing the window ends the program with 0 and nothing of it
        (no watcher) stays behind."""
        self.x.close_window(self.window())
        wait_for("the launcher to end after its window was closed",
                 lambda: self.proc.poll() is not None)
        check(self.proc.returncode == 0, "exit code %s" % self.proc.returncode)
        check(not children_of_exe(exe), "a process of the program is left running")

    def cleanup(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()


def children_of_exe(exe):
    """Live processes running the program exe (the launcher, its watcher)."""
    found = []
    for pid, _ in harness.processes():
        try:
            if os.readlink("/proc/%d/exe" % pid) == exe:
                found.append(pid)
        except OSError:
            pass
    return found


# ---- the cases; each takes (packages, x, scratch) ----

def test_deb_control_fields(p, x, scratch):
    fields = {f: run("dpkg-deb", "-f", p.deb, f).strip()
              for f in ("Package", "Version", "Architecture", "Depends", "Recommends")}
    check(fields["Package"] == NAME, "Package: %s" % fields["Package"])
    check(fields["Version"] == project_version(), "Version: %s" % fields["Version"])
    arch = run("dpkg", "--print-architecture").strip()
    check(fields["Architecture"] == arch, "Architecture: %s" % fields["Architecture"])
    depends = {d.split()[0] for d in fields["Depends"].split(", ")}
    for needed in ("libqt6widgets6", "libqt6gui6", "libqt6core6", "libx11-6", "libxi6", "libc6"):
        check(needed in depends, "Depends lacks %s: %s" % (needed, fields["Depends"]))
    check("libsdl2-2.0-0" in fields["Recommends"].split(", "),
          "Recommends: %s" % fields["Recommends"])


def test_package_contents(p, x, scratch):
    deb = os.path.join(scratch, "deb")
    run("dpkg-deb", "-x", p.deb, deb)
    files = sorted(os.path.relpath(os.path.join(d, f), deb)
                   for d, _, fs in os.walk(deb) for f in fs)
    check(all(f.startswith("usr/") for f in files), "files outside /usr: %s" % files)
    check("usr/share/%s/packaged" % NAME in files, "the .deb has no packaged marker")
    check(sorted(os.listdir(os.path.join(deb, "usr", "bin"))) == ["Tavro_FrontEnd"],
          "usr/bin holds %s" % os.listdir(os.path.join(deb, "usr", "bin")))
    check_desktop_and_icons(os.path.join(deb, "usr"), ".deb")

    tar = os.path.join(scratch, "tar")
    os.makedirs(tar)
    run("tar", "-xzf", p.tarball, "-C", tar)
    (top,) = os.listdir(tar)
    tree = os.path.join(tar, top)
    tar_files = sorted(os.path.relpath(os.path.join(d, f), tree)
                       for d, _, fs in os.walk(tree) for f in fs)
    check(tar_files == sorted(os.path.relpath(f, "usr") for f in files
                              if not f.endswith("/packaged")),
          "the tarball holds %s, the .deb %s" % (tar_files, files))
    check_desktop_and_icons(tree, "tarball")

    with zipfile.ZipFile(p.zip) as z:
        names = [n for n in z.namelist() if not n.endswith("/")]
        check(sorted(os.path.basename(n) for n in names) == sorted(WINDOWS_PROGRAMS),
              "the zip holds %s" % names)
        # In one folder, as built: linked stripped, the launcher's file layout
        # chosen for Wine.
        check(len({os.path.dirname(n) for n in names}) == 1, "the zip's folders: %s" % names)
        for name in names:
            built = read_bytes(os.path.join(p.build, "win32", "bin", os.path.basename(name)))
            check(z.read(name) == built, "the zip's %s differs from build/win32's" % name)


def test_deb_program_keeps_its_tree_in_xdg_data_home(p, x, scratch):
    deb = os.path.join(scratch, "deb-run")
    run("dpkg-deb", "-x", p.deb, deb)
    exe = os.path.join(deb, "usr", "bin", "Tavro_FrontEnd")
    launch = Launch(x, exe, os.path.join(scratch, "deb-user"))
    try:
        launch.window()
        folder = os.path.join(launch.data, NAME)
        check_tree(folder, folder, "/")
        check(os.listdir(os.path.dirname(exe)) == ["Tavro_FrontEnd"],
              "beside the program: %s" % os.listdir(os.path.dirname(exe)))
        launch.close_cleanly(exe)
    finally:
        launch.cleanup()


def test_deb_program_watcher_shows_the_desktop_after_a_kill(p, x, scratch):
    # The watcher is the program itself started again through /proc/self/exe:
    # from wherever the package put it.
    deb = os.path.join(scratch, "deb-watch")
    run("dpkg-deb", "-x", p.deb, deb)
    exe = os.path.join(deb, "usr", "bin", "Tavro_FrontEnd")
    stand_ins = xwin.EwmhStandIns(x, shown=True)
    launch = Launch(x, exe, os.path.join(scratch, "watch-user"))
    try:
        win = launch.window()
        # The launcher listens for keys from its first tick on: a press
        # before that is not seen, so 9 is pressed again while nothing hid.
        for _ in range(5):
            if stand_ins.desktop_hidden():
                break
            x.keys(win, "9")
            end = time.monotonic() + 3
            while stand_ins.desktop_shown() and time.monotonic() < end:
                time.sleep(0.05)
        check(stand_ins.desktop_hidden(), "9 did not hide the desktop")
        watchers = [pid for pid in children_of_exe(exe) if pid != launch.proc.pid]
        check(len(watchers) == 1, "one watcher running, found %s" % watchers)
        launch.proc.send_signal(signal.SIGKILL)
        launch.proc.wait()
        wait_for("the watcher to show the desktop again", stand_ins.desktop_shown, 10)
        wait_for("the watcher to end", lambda: not children_of_exe(exe), 10)
    finally:
        launch.cleanup()
        harness.kill_all(children_of_exe(exe))
        stand_ins.destroy()


def test_tarball_program_keeps_its_tree_beside_itself(p, x, scratch):
    tar = os.path.join(scratch, "tar-run")
    os.makedirs(tar)
    run("tar", "-xzf", p.tarball, "-C", tar)
    (top,) = os.listdir(tar)
    exe = os.path.join(tar, top, "bin", "Tavro_FrontEnd")
    launch = Launch(x, exe, os.path.join(scratch, "tar-user"))
    try:
        launch.window()
        folder = os.path.dirname(exe)
        check_tree(folder, folder, "/", also=["Tavro_FrontEnd"])
        check(not os.path.exists(launch.data), "the portable program wrote to XDG_DATA_HOME")
        launch.close_cleanly(exe)
    finally:
        launch.cleanup()


def test_zip_program_under_wine_keeps_its_tree_beside_itself(p, x, scratch):
    unpacked = os.path.join(scratch, "zip")
    with zipfile.ZipFile(p.zip) as z:
        z.extractall(unpacked)
    (exe,) = glob.glob(os.path.join(unpacked, "*", "Tavro_FrontEnd.exe"))
    # A build folder of its own: wine.sh makes a fresh prefix in it, so
    # nothing of the test builds' prefixes (fonts, DLLs) helps the .exe.
    wine_dir = os.path.join(scratch, "wine")
    os.makedirs(wine_dir)
    prefix = os.path.join(wine_dir, "wineprefix")
    proc = subprocess.Popen(["bash", os.path.join(ROOT, "tests", "win32", "wine.sh"), wine_dir, exe],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    # Wine shows the program's own path, the Windows one or the Unix one.
    names = {exe.lower(), ("Z:" + exe.replace("/", "\\")).lower()}

    def pids():
        return {pid for pid, argv in harness.processes() if argv[0].lower() in names}
    try:
        # Making the prefix takes seconds to tens of seconds.
        def window():
            if proc.poll() is not None:
                fail("wine.sh ended (exit %s) before a window showed" % proc.returncode)
            found = pids()
            return found and x.find_window(TITLE, pids=found)
        win = wait_for("the launcher's window under Wine", window, 300)
        folder = os.path.dirname(exe)
        check_tree(folder, "Z:" + folder.replace("/", "\\"), "\\", also=WINDOWS_PROGRAMS)
        x.close_window(win)
        wait_for("the launcher to end after its window was closed",
                 lambda: proc.poll() is not None, 60)
        check(proc.returncode == 0, "exit code %s" % proc.returncode)
        check(not pids(), "the program is left running")
    finally:
        if proc.poll() is None:
            proc.terminate()
            proc.wait()
        harness.kill_all(pids())
        subprocess.run(["wineserver", "-k"], env=harness.wine_env(prefix),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


TESTS = [
    test_deb_control_fields,
    test_package_contents,
    test_deb_program_keeps_its_tree_in_xdg_data_home,
    test_deb_program_watcher_shows_the_desktop_after_a_kill,
    test_tarball_program_keeps_its_tree_beside_itself,
    test_zip_program_under_wine_keeps_its_tree_beside_itself,
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="the build root holding linux/, win32/")
    parser.add_argument("--no-pack", action="store_true",
                        help="check what build/packages holds without packing again")
    parser.add_argument("-k", default="", help="run only cases whose name holds this")
    args = parser.parse_args()

    passed = failed = 0
    if not args.no_pack:
        result = subprocess.run(["bash", os.path.join(ROOT, "scripts", "package.sh"), "--no-build"],
                                capture_output=True, text=True)
        if result.returncode != 0:
            print("FAIL package.sh --no-build:\n" + result.stdout + result.stderr)
            print("packages: 0 passed, 1 failed")
            return 1
        print("ok   package.sh --no-build", flush=True)
        passed += 1
    try:
        packages = Packages(args.build)
    except Failure as e:
        print("FAIL %s" % e)
        print("packages: %d passed, %d failed" % (passed, failed + 1))
        return 1

    x = xwin.XSession()
    for test in TESTS:
        name = test.__name__[len("test_"):]
        if args.k not in name:
            continue
        scratch = tempfile.mkdtemp(prefix="tavro-packages-")
        started = time.monotonic()
        try:
            test(packages, x, scratch)
            passed += 1
            print("ok   %s (%.1fs)" % (name, time.monotonic() - started), flush=True)
        except Exception as e:  # a failed check or anything unexpected
            failed += 1
            print("FAIL %s: %s" % (name, e), flush=True)
            if not isinstance(e, Failure):
                traceback.print_exc()
        finally:
            shutil.rmtree(scratch, ignore_errors=True)
    print("packages: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
