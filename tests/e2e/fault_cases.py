"""End-to-end cases of what goes wrong around the program: a file where the
Game folder belongs, an AppFolder that cannot be written, a full disk, a
folder where the settings file belongs, a drive that cannot be shown, and
game files whose names a shell would take apart. The message boxes are read
for their words (screen_text); what root's permissions cannot refuse is
refused by a mount namespace of the case's own (mountns)."""

import os
import shlex
import shutil
import signal
import stat

import screen_text
from harness import Session, check, dismiss_message, kill_all, processes, read_bytes, wait_for
from library_cases import DIR1, FILE1, Box, FRAME1, emulator_path, emulator_pids, expected_launch
from library_cases import launches, play
from mountns import MountNamespace
from screen_text import message_text

CREATE_FAILED = "Error in Create Folders and Ini File"
LOAD_FAILED = "Error in Load Tavro_FrontEnd.ini! Reset and ReStart Tavro RazozEze."
DRIVE1 = Box(FRAME1, (120, 360), size=(3495, 315))
PROVISIONED = ["Emulator", "Game", "Image", "Tavro_FrontEnd.ini"]


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def own_namespace(target, setup):
    return MountNamespace(setup, target.wine_prefix)


def expect_box(reader, x, s, text, wrap=()):
    got = message_text(reader, s, "Error", wrap)
    check(got == text, "the message box says %r, not %r" % (got, text))
    dismiss_message(x, s)


def test_game_file_in_the_way_then_reset_and_clean_start(target, x):
    """A file named Game: provisioning says so and the window opens with
    nothing made; settings naming Game's folders then fail to load, are set
    aside and the start ends; with the file gone the next start is clean."""
    reader = screen_text.reader(target)
    s = Session(target, x)
    exe = os.path.basename(s.exe)
    in_the_way = b"a file, not a folder\r\n"
    try:
        write_bytes(s.at("Game"), in_the_way)
        s.start(reader.env())
        expect_box(reader, x, s, CREATE_FAILED)
        s.main_window()
        check(s.entries() == sorted([exe, "Game"]), "the folder holds %s" % s.entries())
        check(s.window("Error") is None, "a second message box")
        check(s.close() == 0, "exit code not 0")

        write_bytes(s.ini(), s.fresh_ini_bytes())  # as a start without the file wrote it
        s.start(reader.env())
        expect_box(reader, x, s, CREATE_FAILED)
        expect_box(reader, x, s, LOAD_FAILED)
        check(s.wait_end() == 0, "exit code not 0 after the reset")
        check(sorted(s.entries()) == sorted([exe, "Game", "Tavro_FrontEnd.ini.bak"]),
              "after the reset the folder holds %s" % s.entries())
        check(read_bytes(s.at("Tavro_FrontEnd.ini.bak")) == s.fresh_ini_bytes(),
              "the backup differs from the settings file")
        check(read_bytes(s.at("Game")) == in_the_way, "the file named Game changed")

        os.remove(s.at("Game"))
        s.start(reader.env()).main_window()
        check(read_bytes(s.ini()) == s.fresh_ini_bytes(), "no fresh settings file")
        check(s.window("Error") is None, "a message box on the clean start")
        check(s.close() == 0, "exit code not 0")
    finally:
        s.cleanup()
        reader.close()


def test_unwritable_app_folder_says_so_and_opens(target, x):
    """AppFolder on a read-only mount (root writes through a plain chmod):
    provisioning's message, then the window, and nothing made."""
    reader = screen_text.reader(target)
    s = Session(target, x)
    q = shlex.quote(s.folder)
    ns = own_namespace(target, "mount --bind %s %s\nmount -o remount,bind,ro %s %s" % (q, q, q, q))
    try:
        probe = shlex.quote(os.path.join(s.folder, "probe"))
        check(subprocess_fails(ns, "touch " + probe), "root can write to the read-only mount")
        s.start(reader.env(), ns.wrap())
        expect_box(reader, x, s, CREATE_FAILED, ns.wrap())
        s.main_window()
        check(s.entries() == [os.path.basename(s.exe)], "the folder holds %s" % s.entries())
        check(s.window("Error") is None, "a second message box")
        check(s.close() == 0, "exit code not 0")
    finally:
        s.cleanup()
        ns.close()
        reader.close()


def subprocess_fails(ns, script):
    try:
        ns.run(script + " 2>/dev/null")
    except Exception:
        return True
    return False


def test_full_disk_leaves_no_part_written_file(target, x):
    """AppFolder on a tmpfs filled to the last byte: the start goes on, no
    settings file and no piece of one is left; once there is room again the
    next start provisions the whole file."""
    reader = screen_text.reader(target)
    s = Session(target, x)
    exe = os.path.basename(s.exe)
    # Room for the program, rounded up to whole pages, and 64 KiB more.
    size = (os.path.getsize(target.program) // 4096 + 1) * 4096 + 64 * 1024
    q = shlex.quote(s.folder)
    ns = own_namespace(target, "mount -t tmpfs -o size=%d tavro-full %s\ncp %s %s\n"
                       "cat /dev/zero >%s/filler 2>/dev/null || true"
                       % (size, q, shlex.quote(target.program), shlex.quote(s.exe), q))
    inside = ns.path(s.folder)
    try:
        s.start(reader.env(), ns.wrap())
        wait_for("the window or a message box",
                 lambda: s.window("Tavro FrontEnd") or s.window("Error"))
        boxes = []
        while s.window("Error"):
            boxes.append(message_text(reader, s, "Error", ns.wrap()))
            dismiss_message(x, s)
        s.main_window()
        left = sorted(os.listdir(inside))
        check("Tavro_FrontEnd.ini" not in left, "a settings file on a full disk")
        check(set(left) <= {exe, "filler", "Emulator", "Game", "Image"},
              "the full disk holds %s (a piece of a write?)" % left)
        check(boxes == [], "message boxes on a full disk: %s" % boxes)
        check(s.close() == 0, "exit code not 0")

        os.remove(os.path.join(inside, "filler"))
        s.start(reader.env(), ns.wrap()).main_window()
        check(sorted(os.listdir(inside)) == sorted([exe] + PROVISIONED),
              "with room again the folder holds %s" % sorted(os.listdir(inside)))
        got = read_bytes(os.path.join(inside, "Tavro_FrontEnd.ini"))
        check(got == s.fresh_ini_bytes(), "settings file bytes with room again: %r" % got)
        check(s.window("Error") is None, "a message box with room again")
        check(s.close() == 0, "exit code not 0")
    finally:
        s.cleanup()
        ns.close()
        reader.close()


def test_settings_file_that_is_no_file(target, x):
    """A folder, or a link to a device, where the settings file belongs: the
    load fails, it is set aside whole and the next start is clean. (Wine
    cannot rename a device: there the reset fails, with its box.)"""
    reader = screen_text.reader(target)
    for kind in ("folder",) if target.wine_prefix else ("folder", "device"):
        s = Session(target, x)
        try:
            if kind == "folder":
                os.mkdir(s.ini())
                write_bytes(os.path.join(s.ini(), "kept.txt"), b"kept")
            else:
                os.symlink("/dev/zero", s.ini())
            s.start(reader.env())
            expect_box(reader, x, s, LOAD_FAILED)
            check(s.wait_end() == 0, "exit code not 0 after the reset")
            backup = s.at("Tavro_FrontEnd.ini.bak")
            check(os.listdir(backup) == ["kept.txt"] if kind == "folder" else
                  os.readlink(backup) == "/dev/zero", "the %s was not set aside whole" % kind)
            s.start().main_window()
            check(read_bytes(s.ini()) == s.fresh_ini_bytes(), "no fresh settings file")
            check(s.window("Error") is None, "a message box on the clean start")
            check(s.close() == 0, "exit code not 0")
        finally:
            s.cleanup()
    reader.close()


def test_fifo_settings_link_to_nothing_and_a_folder_not_in_utf8(target, x):
    """A FIFO as the settings file fails to load and is set aside (Linux);
    a link to nothing under a folder's name is left as it is; a folder named
    in Latin-1 (Linux) starts again and again; SIGTERM ends the window."""
    reader = screen_text.reader(target)
    label = "Tavro e2e" if target.wine_prefix else os.fsdecode(b"Tavro \xe9t\xe9 \xff")
    s = Session(target, x, label=label)
    try:
        os.symlink("/nowhere/unmounted", s.at("Image"))
        if not target.wine_prefix:
            os.mkfifo(s.ini())
            s.start(reader.env())
            expect_box(reader, x, s, LOAD_FAILED)
            check(s.wait_end() == 0, "exit code not 0 after the reset")
            check(stat.S_ISFIFO(os.lstat(s.ini() + ".bak").st_mode), "no FIFO set aside")
        for start in range(2):
            s.start().main_window()
            check(read_bytes(s.ini()) == s.fresh_ini_bytes(), "start %d: settings file" % start)
            check(os.readlink(s.at("Image")) == "/nowhere/unmounted", "the link changed")
            check(s.window("Error") is None, "start %d: a message box" % start)
            if target.wine_prefix:
                check(s.close() == 0, "exit code not 0")
            else:
                s.proc.send_signal(signal.SIGTERM)
                s.wait_end("the program to end on SIGTERM")
    finally:
        s.cleanup()
        reader.close()


def test_drive_that_cannot_be_shown_falls_back(target, x):
    """A drive in the list whose place is gone, chosen by keyboard: the list
    shows the fallback drive, no message. Windows: a drive letter of the
    prefix pointing at a folder that does not exist. Linux: a mount point that a later mount over its parent hides, in a
    namespace of the case's own (only a mount makes a drive there)."""
    reader = screen_text.reader(target)
    s = Session(target, x)
    place = os.path.join(s.base, "drive")  # made on Linux only
    if target.wine_prefix:
        # In a copy of the prefix's drive letters, seen only in the namespace:
        # other programs on the prefix keep theirs, and the namespace's own
        # wineserver reads the letters afresh.
        letters = os.path.join(target.wine_prefix, "dosdevices")
        copy = os.path.join(s.base, "dosdevices")
        ns = own_namespace(target, "cp -a {0} {1}\nln -s {2} {1}/q:\nmount --bind {1} {0}".format(
            shlex.quote(letters), shlex.quote(copy), shlex.quote(place)))
    else:
        os.mkdir(place)
        point = os.path.join(s.base, "parent", "drive")
        ns = MountNamespace("mkdir -p %s\nmount --bind %s %s"
                            % (shlex.quote(point), shlex.quote(place), shlex.quote(point)))
    try:
        s.start(reader.env(), ns.wrap())
        win = s.main_window()
        shown, items = wait_for("the drive list read", lambda: reader.drive_shown(s, ns.wrap())[0]
                                and reader.drive_shown(s, ns.wrap()))
        # Into the drive list from the folder list, the next control back.
        x.click(win, *DIR1.row())
        if target.wine_prefix:
            x.keys(win, "shift+Tab", "q")
            fallback = "c:"
        else:
            check(point in items, "the mount point is not listed: %s" % items)
            ns.run("mount -t tmpfs tavro-hide %s" % shlex.quote(os.path.dirname(point)))
            x.keys(win, "shift+Tab", "Home", *(["Down"] * items.index(point)))
            fallback = "/"
        wait_for("the drive list to show %s" % fallback,
                 lambda: reader.drive_shown(s, ns.wrap())[0] == fallback)
        check(s.window("Error") is None, "a message box showed")
        check(s.close() == 0, "exit code not 0")
    finally:
        s.cleanup()
        ns.close()
        reader.close()


def hostile_names(target):
    """Game file names that a shell or a command line would take apart."""
    names = [
        "it's 'quoted'.wud",
        "$(touch pwned) `touch pwned`.wud",
        "a; touch pwned;.wux",
        "-f --leading dash.wud",
        "\u00e9t\u00e9 \u65e5\u672c \U0001F3AE.wud",
    ]
    names.append(("two hundred and fifty " + "x" * 250)[:246] + ".wud")
    if not target.wine_prefix:
        # Windows allows neither a double quote nor a line break in a name.
        names += ['say "hi".wud', "line\nbreak.wud"]
    return names


def test_hostile_file_names_reach_the_emulator_whole(target, x):
    """One start plays every game in turn: each name reaches the emulator as
    one unchanged argument (Linux, read from the emulator's own argv) or one
    quoted path in its command line (Windows); nothing is run by a shell."""
    s = Session(target, x)
    names = hostile_names(target)
    try:
        for folder in (("Game", "WUD_WUX"), ("Game", "RPX"), ("Emulator",), ("Image",)):
            os.makedirs(s.at(*folder))
        for name in names:
            write_bytes(s.at("Game", "WUD_WUX", name), b"")
        shutil.copy2(target.emulator, emulator_path(s))
        s.start()
        win = s.main_window()
        discs = target.native(s.at("Game", "WUD_WUX")) + target.sep()
        for n in range(len(names)):
            x.click(win, *FILE1.row(0))
            x.keys(win, "Home", *(["Down"] * n))
            play(x, s, win, n + 1)
            check(len(launches(s)) == n + 1, "%d starts after %d plays" % (len(launches(s)), n + 1))
        expected = sorted(expected_launch(s, "-g", discs + name) for name in names)
        if target.wine_prefix:
            got = sorted(launches(s))
        else:
            got = sorted(argv[1:] for pid, argv in processes() if pid in emulator_pids(s))
        check(got == expected, "the emulator received\n%r\nnot\n%r" % (got, expected))
        check(s.window("Error") is None and s.window("Alert!") is None, "a message box showed")
        for folder in (s.folder, s.at("Emulator"), "/"):
            check(not os.path.exists(os.path.join(folder, "pwned")), "a shell ran: %s" % folder)
        check(s.close() == 0, "exit code not 0")
    finally:
        kill_all(emulator_pids(s))
        s.cleanup()


TESTS = [
    test_game_file_in_the_way_then_reset_and_clean_start,
    test_unwritable_app_folder_says_so_and_opens,
    test_full_disk_leaves_no_part_written_file,
    test_settings_file_that_is_no_file,
    test_fifo_settings_link_to_nothing_and_a_folder_not_in_utf8,
    test_drive_that_cannot_be_shown_falls_back,
    test_hostile_file_names_reach_the_emulator_whole,
]
