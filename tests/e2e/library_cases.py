"""End-to-end cases of the library window, driven as a player drives it: the
browser by keyboard and mouse, covers as the screen shows them, Play Game
and the command line the stand-in emulator receives, the three keys pressed
while the emulator has the focus, and the donation page."""

import os
import shlex
import shutil
import stat
import struct
import subprocess
import tempfile

from PIL import Image

import screen_text
from harness import Session, check, dismiss_message, kill_all, processes, read_bytes, wait_for


class Box:
    """A control's place in the window's own area, in pixels at 96 DPI, from
    the design's twips (15 a pixel); a control in a frame adds the frame's
    corner."""

    def __init__(self, *corners, size):
        self.left = round(sum(c[0] for c in corners) / 15)
        self.top = round(sum(c[1] for c in corners) / 15)
        self.width = round(size[0] / 15)
        self.height = round(size[1] / 15)

    def centre(self):
        return self.left + self.width // 2, self.top + self.height // 2

    def row(self, n=0, x=30):
        """A point on the n-th visible row of a list, whatever its row height
        (at least 13 pixels in both views)."""
        return self.left + x, self.top + 8 + 13 * n


FRAME1 = (6120, 120)
PICTURE1 = Box((1590, 990), size=(3015, 1695))
DIR1 = Box(FRAME1, (120, 720), size=(5535, 1665))
FILE1 = Box(FRAME1, (120, 2520), size=(5535, 1845))
OPTION2_RPX = Box(FRAME1, (5040, 360), size=(255, 255))
FULLSCREEN = Box(FRAME1, (120, 4440), (120, 600), size=(255, 255))  # Option1(1) in Frame2
PLAY = Box(FRAME1, (1560, 4560), size=(735, 855))
DONATE = Box(FRAME1, (4200, 4440), (140, 240), size=(1350, 690))  # Image12 in Frame8

# The disc images of the library, in the order the file list sorts them, each
# with its cover's colour and size: one the box's size, one wider and larger
# (scaled down), none, one taller and smaller (scaled up), in a name that is
# not ASCII.
DISCS = [
    ("Alpha Quest.wud", (214, 32, 40), (201, 113)),
    ("Bravo Kart.wux", (30, 190, 70), (402, 100)),
    ("Charlie.wud", None, None),
    ("Delta \u00dcn\u00ef.wud", (40, 70, 220), (60, 90)),
]
RPX_GAME, RPX_FILE, RPX_COVER = "Echo Saga", "EchoSaga.rpx", ((200, 50, 200), (201, 113))


def lay_out_library(s):
    """The folders a first start makes, the games, their covers (drawn here
    as solid colours no picture of the program has), and no emulator yet."""
    for folder in (("Game", "WUD_WUX"), ("Game", "RPX", RPX_GAME, "code"), ("Emulator",),
                   ("Image",)):
        os.makedirs(s.at(*folder))
    covers = [(name, colour, size) for name, colour, size in DISCS if colour]
    covers.append((RPX_FILE,) + RPX_COVER)
    for name, colour, size in covers:
        Image.new("RGB", size, colour).save(s.at("Image", cover_name(name)), quality=95)
    for name, _, _ in DISCS:
        open(s.at("Game", "WUD_WUX", name), "wb").close()
    open(s.at("Game", "RPX", RPX_GAME, "code", RPX_FILE), "wb").close()


def cover_name(game):
    return os.path.splitext(game)[0] + ".jpg"


def near(pixel, colour, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def fit(size):
    """Where a cover of this size belongs in the box: scaled to fit keeping
    its aspect ratio, centred (left, top, width, height)."""
    scale = min(PICTURE1.width / size[0], PICTURE1.height / size[1])
    w, h = round(size[0] * scale), round(size[1] * scale)
    return (PICTURE1.width - w) // 2, (PICTURE1.height - h) // 2, w, h


def cover_shown(x, win, colour, size):
    """The box shows a cover of this colour and size: its colour fills the
    place the cover belongs and nothing else of the box. Edges of 2 pixels
    are left out for rounding and smoothing."""
    left, top, w, h = fit(size)
    pixels = x.pixels(win, PICTURE1.left, PICTURE1.top, PICTURE1.width, PICTURE1.height)
    inside = outside = inside_ok = outside_ok = 0
    for i, p in enumerate(pixels):
        px, py = i % PICTURE1.width, i // PICTURE1.width
        dx = min(px - left, left + w - 1 - px)
        dy = min(py - top, top + h - 1 - py)
        if dx >= 2 and dy >= 2:
            inside += 1
            inside_ok += near(p, colour)
        elif dx < -2 or dy < -2:
            outside += 1
            outside_ok += not near(p, colour)
    return inside_ok >= 0.98 * inside and outside_ok >= 0.98 * outside


def picture_box(x, win):
    return x.pixels(win, PICTURE1.left, PICTURE1.top, PICTURE1.width, PICTURE1.height)


def wait_cover(x, win, game, colour, size):
    wait_for("the cover of %s at the cover's place" % game,
             lambda: cover_shown(x, win, colour, size), 10)


def wait_default_cover(x, win, default):
    wait_for("the default cover at the cover's place", lambda: picture_box(x, win) == default, 10)


# ---- the stand-in emulator ----

def emulator_path(s):
    return s.at("Emulator", "Cemu.exe")


def launches(s):
    """The command lines the stand-in emulator recorded, one per start: the
    arguments after the program (Linux), or the whole line (Windows)."""
    try:
        text = read_bytes(s.at("Emulator", "received-command-line.txt")).decode("utf-8")
    except FileNotFoundError:
        return []
    if s.target.wine_prefix:
        return [line for line in text.split("\r\n")[:-1]]
    return [record.split("\n") for record in text.split("\n\n")[:-1]]


def expected_launch(s, mode, game_path):
    """What the emulator receives for a game path (as the launcher names it):
    the mode text's words and the path as one argument; on Windows the whole
    command line, with the program quoted since AppFolder has a blank."""
    if s.target.wine_prefix:
        return '"%s" %s "%s"' % (s.target.native(emulator_path(s)), mode, game_path)
    return mode.split() + [game_path]


def emulator_pids(s):
    program = s.target.native(emulator_path(s)).lower()
    return {pid for pid, argv in processes() if argv[0].lower() == program}


def click_play_expecting_a_box(x, s, win, title):
    """Presses Play Game and waits for a message box; a start of the
    emulator instead is a failure at once."""
    before = len(launches(s))
    x.click(win, *PLAY.centre())
    wait_for('a message box titled "%s" or a start' % title,
             lambda: s.window(title) or len(launches(s)) > before)
    check(len(launches(s)) == before, 'the emulator started where "%s" was due' % title)
    dismiss_message(x, s, title)


def play(x, s, win, count):
    """Presses Play Game and waits for start number count of the emulator
    and its window: a window that shows later could take the focus from the
    keys that follow."""
    x.click(win, *PLAY.centre())
    wait_for("start number %d of the emulator" % count, lambda: len(launches(s)) >= count)
    wait_for("the emulator's window number %d" % count,
             lambda: x.count_windows("Stand-in emulator", emulator_pids(s)) >= count)


# ---- the cases: each takes (target, x) ----

def test_browse_covers_play_and_keys(target, x):
    """One launcher start carries the library: keyboard and mouse selections
    show their covers, scaled to fit; a game without a cover keeps the one
    shown; Play Game without a game, without the emulator, windowed, full
    screen and in .rpx mode after opening a game's folder, where Tab into the
    file list selects nothing; then 8, 9 and Esc with the emulator focused,
    and closing the window shows the desktop and taskbar again."""
    stand_ins = target.shell_stand_ins(x, shown=True)
    s = Session(target, x)
    try:
        lay_out_library(s)
        shutil.copy2(target.emulator, emulator_path(s))
        s.start()
        win = s.main_window()
        # Painted: the logo has many colours, a blank box one.
        default = wait_for("the default cover painted",
                           lambda: len(set(picture_box(x, win))) > 50 and picture_box(x, win))
        discs = target.native(s.at("Game", "WUD_WUX")) + target.sep()

        click_play_expecting_a_box(x, s, win, "Error")  # "No Game Select!"

        # Keyboard: into the file list, then arrows. Down then Up lands on the
        # first game whether the first Down takes the first or the second.
        x.click(win, *DIR1.row())
        x.keys(win, "Tab", "Down", "Up")
        wait_cover(x, win, *DISCS[0])
        x.keys(win, "Down")
        wait_cover(x, win, *DISCS[1])
        x.keys(win, "Down")  # Charlie.wud, which has no cover
        # Without the emulator: the alert, nothing started.
        os.rename(emulator_path(s), emulator_path(s) + ".away")
        click_play_expecting_a_box(x, s, win, "Alert!")
        # Waited for, not looked at once: where the box was is painted anew.
        wait_cover(x, win, *DISCS[1])  # a game without a cover keeps the one shown
        os.rename(emulator_path(s) + ".away", emulator_path(s))
        play(x, s, win, 1)

        # Mouse, and the last game by keyboard; full screen.
        x.click(win, *FILE1.row(0))
        wait_cover(x, win, *DISCS[0])
        x.keys(win, "End")
        wait_cover(x, win, *DISCS[3])
        # Elsewhere on the row: two quick clicks on one spot are a double-click.
        x.click(win, *FILE1.row(0, x=200))
        wait_cover(x, win, *DISCS[0])
        x.click(win, *FULLSCREEN.centre())
        play(x, s, win, 2)

        # .rpx mode: the default cover, the library root; open the game's
        # folder (the last entry of the folder list) and its code/ is listed.
        # Tab into the new list: where the focus lands is no selection.
        x.click(win, *OPTION2_RPX.centre())
        wait_default_cover(x, win, default)
        x.click(win, *DIR1.row())
        x.keys(win, "End", "Return", "Tab")
        click_play_expecting_a_box(x, s, win, "Error")
        wait_default_cover(x, win, default)
        x.click(win, *FILE1.row(0))
        wait_cover(x, win, RPX_FILE, *RPX_COVER)
        play(x, s, win, 3)
        rpx = target.native(s.at("Game", "RPX", RPX_GAME)) + target.sep()
        expected = [expected_launch(s, "-g", discs + DISCS[2][0]),
                    expected_launch(s, "-f -g", discs + DISCS[0][0]),
                    expected_launch(s, "-f -g", rpx + "code" + target.sep() + RPX_FILE)]
        check(launches(s) == expected, "the emulator received %r, not %r" % (launches(s), expected))
        check(s.window("Error") is None, "an error box showed")

        # The keys, with the emulator focused. One press, one action: the
        # taskbar is still hidden a tick after the desktop went.
        emulator = wait_for("the stand-in emulator's window",
                            lambda: x.find_window("Stand-in emulator", emulator_pids(s)))
        x.keys(emulator, "8")
        wait_for("8 to hide the taskbar", stand_ins.taskbar_hidden, 10)
        x.keys(emulator, "9")
        wait_for("9 to hide the desktop", stand_ins.desktop_hidden, 10)
        check(stand_ins.taskbar_hidden(), "one press of 8 acted twice")
        check(len(emulator_pids(s)) == 3, "%d emulators run" % len(emulator_pids(s)))
        x.keys(emulator, "Escape")
        wait_for("Esc to end every emulator", lambda: not emulator_pids(s), 10)
        check(stand_ins.desktop_hidden() and stand_ins.taskbar_hidden(), "Esc showed the shell")
        rc = s.close()
        check(rc == 0, "exit code %s" % rc)
        wait_for("the desktop and the taskbar to show again",
                 lambda: stand_ins.desktop_shown() and stand_ins.taskbar_shown(), 10)
        check(len(launches(s)) == 3, "the emulator was started %d times" % len(launches(s)))
    finally:
        kill_all(emulator_pids(s))
        s.cleanup()
        stand_ins.destroy()


def donation_page_bytes():
    lines = [
        '<form action="https://www.payments.example.net/cgi-bin/webscr" method="post" '
        'target="_top">',
        '<input type="hidden" name="cmd" value="_s-xclick">',
        '<input type="hidden" name="hosted_button_id" value="TAVRO7EX4MPL3">',
        '<input type="image" src="https://images.payments.example.net/en_US/i/btn/'
        'btn_donate_LG.gif" border="0" name="submit" alt="Example Payments - the safer, easier '
        'way to pay online!">',
        '<img alt="" border="0" src="https://images.payments.example.net/pt_BR/i/scr/'
        'pixel.gif" width="1" height="1">',
        '</form>',
    ]
    return ("".join(line + "\r\n" for line in lines) + "\r\n").encode("ascii")


class Viewer:
    """Sees the page handed to the HTML viewer. Linux: an xdg-open of our own,
    first on the launcher's PATH, records each start's arguments. Windows:
    Explorer.exe runs with the page as its argument; it is ended once seen."""

    def __init__(self, s):
        self.s = s
        self.seen = []
        self.dir = tempfile.mkdtemp(prefix="tavro-viewer-")
        self.record = os.path.join(self.dir, "record")
        script = os.path.join(self.dir, "xdg-open")
        with open(script, "w") as f:
            f.write("#!/bin/sh\n{ printf '%%s\\037' \"$@\"; echo; } >>%s\n"
                    % shlex.quote(self.record))
        os.chmod(script, 0o755)
        self.env = dict(os.environ, PATH=self.dir + os.pathsep + os.environ.get("PATH", ""))

    def starts(self):
        """Each start of the viewer so far, as its argument list."""
        if not self.s.target.wine_prefix:
            try:
                with open(self.record, encoding="utf-8") as f:
                    return [line.split("\037")[:-1] for line in f.read().splitlines()]
            except FileNotFoundError:
                return []
        # Only ours: other Wine sessions may run an Explorer of their own.
        folder = self.s.app_folder()
        for pid, argv in processes():
            if (argv[0].replace("\\", "/").split("/")[-1].lower() == "explorer.exe" and
                    any(folder in a for a in argv[1:]) and pid not in (p for p, _ in self.seen)):
                self.seen.append((pid, argv[1:]))
                kill_all([pid])
        return [args for _, args in self.seen]

    def cleanup(self):
        self.starts()
        shutil.rmtree(self.dir, ignore_errors=True)


def test_donation_page_is_written_and_opened(target, x):
    """A click writes the page byte for byte and hands its path, as one
    argument, to the viewer; a read-only page file gives one "Error" box and
    starts nothing; the next click, writable again, rewrites the page; a link
    there is replaced, a FIFO refused."""
    s = Session(target, x)
    viewer = Viewer(s)
    page = s.at("Tavro_FrontEnd-donate.html")
    expected = [target.native(page)]
    try:
        s.start(viewer.env)
        win = s.main_window()
        x.click(win, *DONATE.centre())
        wait_for("the viewer to start", viewer.starts)
        check(viewer.starts() == [expected], "the viewer got %r" % viewer.starts())
        check(read_bytes(page) == donation_page_bytes(), "page bytes: %r" % read_bytes(page))

        with open(page, "wb") as f:
            f.write(b"kept\r\n")
        os.chmod(page, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        x.click(win, *DONATE.centre())
        dismiss_message(x, s)
        check(read_bytes(page) == b"kept\r\n", "a read-only page was written")

        os.chmod(page, 0o644)
        x.click(win, *DONATE.centre())
        wait_for("the viewer to start again", lambda: len(viewer.starts()) >= 2)
        check(read_bytes(page) == donation_page_bytes(), "the page was not written again")
        check(viewer.starts() == [expected, expected],
              "the viewer's starts: %r (one while the page was read-only?)" % viewer.starts())
        check(s.window("Error") is None, "a second error box")

        # A link is replaced by name and what it leads to stays; a FIFO is
        # refused at once, with the box.
        outside = os.path.join(s.base, "outside.html")
        with open(outside, "wb") as f:
            f.write(b"outside")
        os.remove(page)
        os.symlink(outside, page)
        x.click(win, *DONATE.centre())
        wait_for("the viewer to start a third time", lambda: len(viewer.starts()) >= 3)
        check(not os.path.islink(page) and read_bytes(page) == donation_page_bytes(),
              "the link was not replaced by the page")
        check(read_bytes(outside) == b"outside", "written through the link")
        os.remove(page)
        os.mkfifo(page)
        x.click(win, *DONATE.centre())
        dismiss_message(x, s)
        check(stat.S_ISFIFO(os.lstat(page).st_mode), "the FIFO was replaced")
        s.close()
    finally:
        viewer.cleanup()
        s.cleanup()


def test_played_and_donated_through_a_screen_reader(target, x):
    """Through AT-SPI actions alone, as Orca acts: a game, FullScreen and Play
    Game start the full-screen mode; Donate writes and opens the page."""
    reader, s = screen_text.AtSpiText(), Session(target, x)
    viewer = Viewer(s)
    try:
        lay_out_library(s)
        shutil.copy2(target.emulator, emulator_path(s))
        s.start(reader.env(viewer.env)).main_window()
        wait_for("the game list published", lambda: reader.act("list item", DISCS[1][0], "Toggle"))
        check(reader.act("radio button", "FullScreen", "Toggle"), "no FullScreen to choose")
        check(reader.act("push button", "Play Game", "Press"), "no Play Game to press")
        game = target.native(s.at("Game", "WUD_WUX", DISCS[1][0]))
        wait_for("the emulator's start", lambda: launches(s))
        check(launches(s) == [expected_launch(s, "-f -g", game)], "received %r" % launches(s))
        check(reader.act("push button", "Donate", "Press"), "no Donate to press")
        wait_for("the viewer to start", viewer.starts)
        check(read_bytes(s.at("Tavro_FrontEnd-donate.html")) == donation_page_bytes(), "the page")
        s.close()
    finally:
        kill_all(emulator_pids(s))
        viewer.cleanup()
        s.cleanup()
        reader.close()


test_played_and_donated_through_a_screen_reader.targets = ("linux",)


# Two unpacked games whose titles sort the other way round from their
# folders, and an update beside them that is no game of the list.
TITLED = [("Zeta Folder", "Zeta.rpx", "0005000010101A00", "Aurora Tale", (20, 150, 160)),
          ("Alpha Folder", "Alpha.rpx", "0005000010144F00", "Moon Run", None),
          ("Aurora Update", "Zeta.rpx", "0005000E10101A00", "Aurora Tale Update", None)]


def meta_xml(title_id, name):
    return ('<?xml version="1.0" encoding="utf-8"?>\n<menu type="complex" access="777">'
            '<title_id type="hexBinary" length="8">%s</title_id>'
            '<longname_en type="string" length="512">%s</longname_en></menu>\n'
            % (title_id, name)).encode("utf-8")


# A .wua whose title sorts before the disc image beside it, though its file
# name sorts after: (file, title ID, title, icon colour).
WUA = ("zulu.wua", "0005000010177A00", "Aardvark Archive", (230, 160, 20))


def make_wua(path):
    """The .wua made with the emulator's archive tool: the game, its icon."""
    _, title_id, name, colour = WUA
    with tempfile.TemporaryDirectory() as src:
        meta = os.path.join(src, title_id.lower() + "_v0", "meta")
        os.makedirs(meta)
        with open(os.path.join(meta, "meta.xml"), "wb") as f:
            f.write(meta_xml(title_id, name))
        Image.new("RGBA", (128, 128), colour + (255,)).save(
            os.path.join(meta, "iconTex.tga"), format="TGA")
        subprocess.run(["zarchive", src, path], check=True, stdout=subprocess.DEVNULL)


def test_titled_game_shows_its_icon_and_plays(target, x):
    """With Titles=en the disc list names a .wua by the game inside it and
    the .rpx list names the games by their meta.xml, leaving the update out;
    each shows the game's own icon in the cover box and plays the game
    selected by its path, exactly as without titles."""
    s = Session(target, x)
    try:
        os.makedirs(s.at("Game", "WUD_WUX"))
        os.makedirs(s.at("Emulator"))
        open(s.at("Game", "WUD_WUX", "Alpha.wud"), "wb").close()
        make_wua(s.at("Game", "WUD_WUX", WUA[0]))
        for folder, rpx, title_id, name, icon in TITLED:
            os.makedirs(s.at("Game", "RPX", folder, "code"))
            os.makedirs(s.at("Game", "RPX", folder, "meta"))
            open(s.at("Game", "RPX", folder, "code", rpx), "wb").close()
            with open(s.at("Game", "RPX", folder, "meta", "meta.xml"), "wb") as f:
                f.write(meta_xml(title_id, name))
            if icon:
                Image.new("RGBA", (128, 128), icon + (255,)).save(
                    s.at("Game", "RPX", folder, "meta", "iconTex.tga"), format="TGA")
        shutil.copy2(target.emulator, emulator_path(s))
        with open(s.ini(), "wb") as f:
            f.write(s.fresh_ini_bytes() + b"Titles=en\r\nDiscPattern=*.wud;*.wux;*.wua\r\n")
        s.start()
        win = s.main_window()
        # The disc list: the archive first, by its title.
        x.click(win, *FILE1.row(0))
        wait_cover(x, win, "the archive's icon", WUA[3], (128, 128))
        play(x, s, win, 1)
        archive = target.native(s.at("Game", "WUD_WUX", WUA[0]))
        x.click(win, *OPTION2_RPX.centre())
        # The first row is the game titled first, whose folder sorts last.
        x.click(win, *FILE1.row(0))
        folder, rpx, _, _, icon = TITLED[0]
        wait_cover(x, win, "Aurora Tale's icon", icon, (128, 128))
        play(x, s, win, 2)
        game = target.native(s.at("Game", "RPX", folder, "code", rpx))
        expected = [expected_launch(s, "-g", archive), expected_launch(s, "-g", game)]
        check(launches(s) == expected, "the emulator received %r, not %r" % (launches(s), expected))
        check(s.window("Error") is None, "an error box showed")
        s.close()
    finally:
        s.cleanup()


def emulator_records(folder, games):
    """The emulator's settings.xml and PlayStats.dat in its portable folder,
    in its own formats: games is (title ID, seconds in settings.xml, minutes
    in the statistics, statistics day from 2000-01-01, favourite)."""
    pdm = os.path.join(folder, "mlc01", "usr", "save", "system", "pdm", "80000001")
    os.makedirs(pdm)
    with open(os.path.join(folder, "settings.xml"), "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<content><mlc_path></mlc_path><GameCache>'
                + "".join("<Entry><title_id>%d</title_id><time_played>%d</time_played><favorite>%s"
                          "</favorite></Entry>" % (int(t, 16), secs, str(fav).lower())
                          for t, secs, _, _, fav in games) + "</GameCache></content>\n")
    table = bytearray(5124)
    struct.pack_into(">I", table, 0, len(games))
    for i, (tid, _, minutes, day, _) in enumerate(games):
        struct.pack_into(">QIHHHH", table, 4 + 20 * i, int(tid, 16), minutes, 1, day, day, 0)
    with open(os.path.join(pdm, "PlayStats.dat"), "wb") as f:
        f.write(table)


def test_play_records_in_the_rows_and_a_favourite_plays(target, x):
    """With Titles=en and PlayTime=on the rows carry the emulator's records
    (the text a screen reader, or LB_GETTEXT, reads: name, tab, time, tab,
    day), the favourite comes first and plays its own game."""
    reader, s = screen_text.reader(target), Session(target, x)
    try:
        os.makedirs(s.at("Game", "WUD_WUX"))
        for folder, rpx, title_id, name, _ in TITLED:
            os.makedirs(s.at("Game", "RPX", folder, "code"))
            open(s.at("Game", "RPX", folder, "code", rpx), "wb").close()
            os.makedirs(s.at("Game", "RPX", folder, "meta"))
            with open(s.at("Game", "RPX", folder, "meta", "meta.xml"), "wb") as f:
                f.write(meta_xml(title_id, name))
        os.makedirs(s.at("Emulator"))
        shutil.copy2(target.emulator, emulator_path(s))
        # Aurora Tale: 11 h and 1 h from the older counter, last played
        # 2026-12-01; Moon Run: a favourite played under a minute on 2026-10-31.
        emulator_records(s.at("Emulator", "portable"),
                         [(TITLED[0][2], 3600, 660, 9831, False), (TITLED[1][2], 0, 0, 9800, True)])
        with open(s.ini(), "wb") as f:
            f.write(s.fresh_ini_bytes() + b"Titles=en\r\nPlayTime=on\r\n")
        s.start(reader.env())
        win = s.main_window()
        x.click(win, *OPTION2_RPX.centre())
        rows = ["Moon Run\t\t2026-10-31", "Aurora Tale\t12 h 00 min\t2026-12-01"]
        wait_for("the rows with their records", lambda: rows in reader.list_rows(s))
        x.click(win, *FILE1.row(0))
        play(x, s, win, 1)
        game = target.native(s.at("Game", "RPX", "Alpha Folder", "code", "Alpha.rpx"))
        expected = [expected_launch(s, "-g", game)]
        check(launches(s) == expected, "the emulator received %r, not %r" % (launches(s), expected))
        s.close()
    finally:
        kill_all(emulator_pids(s))
        s.cleanup()
        reader.close()


TESTS = [
    test_titled_game_shows_its_icon_and_plays,
    test_play_records_in_the_rows_and_a_favourite_plays,
    test_browse_covers_play_and_keys,
    test_donation_page_is_written_and_opened,
    test_played_and_donated_through_a_screen_reader,
]
