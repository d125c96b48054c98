#!/usr/bin/env bash
# Installs what is missing, builds the launcher, lays out a demo library
# (disc images, an unpacked game with its code/ folder, covers drawn here, the
# stand-in emulator) and opens the launcher on it. Without a display it runs
# under Xvfb, selects a game and saves a screenshot of the library browsed, the
# game selected and its cover.
#
#   scripts/demo.sh                  the Linux program
#   scripts/demo.sh --windows        the 32-bit .exe under Wine
#   scripts/demo.sh --folder DIR     the program and its library in DIR
#                                    (default demo/<build>/Tavro FrontEnd)
#   scripts/demo.sh --pad            the Linux program driven by a game
#                                    controller made inside it (without a
#                                    display: the focus moved by the pad)
#
# The README's pictures come from a folder that names no one's machine:
#   scripts/demo.sh --folder "/tmp/Tavro Demo" && cp demo/screenshot-linux.png docs/
#   scripts/demo.sh --pad --folder "/tmp/Tavro Demo" && cp demo/screenshot-linux-pad.png docs/
# (the first also saves demo/screenshot-linux-titles.png: the title view)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

windows=false
pad=false
app=""
while [ $# -gt 0 ]; do
  case $1 in
    --windows) windows=true ;;
    --pad) pad=true ;;
    --folder)
      app=${2:?--folder needs a folder}
      shift
      ;;
    *)
      echo "usage: $0 [--windows | --pad] [--folder DIR]" >&2
      exit 2
      ;;
  esac
  shift
done

if $pad && $windows; then
  echo "$0: --pad drives the Linux program" >&2
  exit 2
fi

bash scripts/deps.sh
if $windows; then
  bash scripts/build.sh win32
  preset=win32 program=Tavro_FrontEnd.exe
else
  bash scripts/build.sh linux
  preset=linux program=Tavro_FrontEnd
fi
bin="$root/build/$preset/bin"
[ -n "$app" ] || app="$root/demo/$preset/Tavro FrontEnd"
case $app in /*) ;; *) app="$root/$app" ;; esac

# The demo library: the program in a folder of its own, as a player keeps it.
rm -rf "$app" && mkdir -p "$app"
cp "$bin/$program" "$app/"
mkdir -p "$app/Game/WUD_WUX" "$app/Game/RPX" "$app/Emulator" "$app/Image"
cp "$bin/stand-in/Cemu.exe" "$app/Emulator/Cemu.exe"
for game in "Castle Of Echoes" "Puzzle Garden" "Star Racer"; do
  : >"$app/Game/WUD_WUX/$game.wud"
done
: >"$app/Game/WUD_WUX/Harbor Lights.wux"
# Unpacked games with their own names and icons (resources/demo, drawn by
# draw_icons.py there), named in the list by their titles (Titles=en below),
# with the player's time and last day beside them (PlayTime=on).
meta_xml() { # TITLE_ID NAME
  printf '<?xml version="1.0" encoding="utf-8"?>\n<menu type="complex" access="777">\n'
  printf '  <title_id type="hexBinary" length="8">%s</title_id>\n' "$1"
  printf '  <longname_en type="string" length="512">%s</longname_en>\n</menu>\n' "$2"
}
titled_game() { # FOLDER RPX TITLE_ID NAME ICON
  mkdir -p "$1/code" "$1/meta"
  : >"$1/code/$2"
  meta_xml "$3" "$4" >"$1/meta/meta.xml"
  cp "resources/demo/$5.tga" "$1/meta/iconTex.tga"
}
titled_game "$app/Game/RPX/Sky Islands" SkyIslands.rpx 0005000010100100 "Sky Islands" sky-islands
titled_game "$app/Game/RPX/Tiny Tanks" TinyTanks.rpx 0005000010100200 "Tiny Tanks" tiny-tanks
titled_game "$app/Game/RPX/lantern_woods_v16" LW.rpx 0005000010100300 "Lantern Woods" lantern-woods
# Its update beside it: not a game of the list.
titled_game "$app/Game/RPX/lantern_woods_update" LW.rpx 0005000E10100300 "Lantern Woods" lantern-woods
# A .wua made with the emulator's archive tool, named by its base game.
wua_src=$(mktemp -d)
titled_game "$wua_src/0005000010100400_v0" Comet.rpx 0005000010100400 "Winged Comet" comet-courier
zarchive "$wua_src" "$app/Game/WUD_WUX/comet.wua" >/dev/null
rm -rf "$wua_src"
# The settings a first start writes, with the title view on.
native() { if $windows; then printf 'Z:%s' "${1//\//\\}"; else printf '%s' "$1"; fi; }
sep=/
$windows && sep='\'
printf '[EmulatorConfig]\r\nFileExe=Cemu.exe\r\nWinMode=-g\r\nFullMode=-f -g\r\n' >"$app/Tavro_FrontEnd.ini"
printf '[TavroFrontEndCnfig]\r\nDirRpx=%s%sGame%sRPX\r\nDirWudWux=%s%sGame%sWUD_WUX\r\n' \
  "$(native "$app")" "$sep" "$sep" "$(native "$app")" "$sep" "$sep" >>"$app/Tavro_FrontEnd.ini"
printf 'Titles=en\r\nPlayTime=on\r\n' >>"$app/Tavro_FrontEnd.ini"
# The player's history with the titled games, as the emulator records it (in
# its portable folder beside it): its settings.xml, where Tiny Tanks is a
# favourite and Sky Islands has time from the emulator's older counter, and
# its play statistics, PlayStats.dat, in the default storage.
/usr/bin/python3 - "$app/Emulator/portable" <<'EOF'
import os
import struct
import sys

folder = sys.argv[1]
# title ID, seconds in settings.xml, last played there (Unix time), favourite,
# then minutes and the last day (from 2000-01-01) in the statistics
games = [
    (0x0005000010100100, 7200, 1764417600, False, 605, 9830),  # Sky Islands
    (0x0005000010100200, 0, 0, True, 45, 9810),  # Tiny Tanks
]
entries = "".join(
    "<Entry><title_id>%d</title_id><name></name><custom_name></custom_name>"
    "<time_played>%d</time_played><last_played>%d</last_played><favorite>%s</favorite>"
    "</Entry>" % (tid, secs, last, "true" if fav else "false")
    for tid, secs, last, fav, _, _ in games)
os.makedirs(folder, exist_ok=True)
with open(os.path.join(folder, "settings.xml"), "w", encoding="utf-8") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n<content>\n<mlc_path></mlc_path>\n'
            "<GameCache>%s</GameCache>\n</content>\n" % entries)
table = bytearray(4 + 256 * 20)
struct.pack_into(">I", table, 0, len(games))
for i, (tid, _, _, _, minutes, day) in enumerate(games):
    # title ID, minutes, times launched, first day, last day, unused
    struct.pack_into(">QIHHHH", table, 4 + 20 * i, tid, minutes, 3, day - 30, day, 0)
pdm = os.path.join(folder, "mlc01", "usr", "save", "system", "pdm", "80000001")
os.makedirs(pdm, exist_ok=True)
with open(os.path.join(pdm, "PlayStats.dat"), "wb") as f:
    f.write(table)
EOF
printf 'DiscPattern=*.wud;*.wux;*.wua\r\n' >>"$app/Tavro_FrontEnd.ini"
# Covers drawn here: a card in the game's colours with its name. The cover of
# a .rpx game is named after the file in code/, as the launcher looks it up.
/usr/bin/python3 - "$app/Image" <<'EOF'
import os
import sys

from PIL import Image, ImageDraw, ImageFont

covers = {
    "Castle Of Echoes": ((52, 40, 92), (148, 112, 214)),
    "Puzzle Garden": ((28, 96, 60), (132, 204, 96)),
    "Star Racer": ((120, 20, 28), (244, 140, 40)),
    "Harbor Lights": ((16, 52, 104), (80, 170, 220)),
    "SkyIslands": ((40, 110, 170), (210, 236, 250)),
    "TinyTanks": ((80, 72, 36), (190, 170, 90)),
}
try:
    font = ImageFont.truetype("DejaVuSans-Bold.ttf", 17)
except OSError:
    font = ImageFont.load_default()
for name, (dark, light) in covers.items():
    w, h = 201, 113
    card = Image.new("RGB", (w, h), dark)
    draw = ImageDraw.Draw(card)
    for y in range(h):  # light at the top, dark at the foot
        t = y / (h - 1)
        draw.line([(0, y), (w, y)], fill=tuple(round(l + (d - l) * t) for l, d in zip(light, dark)))
    draw.ellipse([w - 70, -30, w + 30, 70], outline=(255, 255, 255), width=3)
    draw.rectangle([0, h - 36, w, h], fill=dark)
    draw.text((10, h - 28), name, font=font, fill=(255, 255, 255))
    card.save(os.path.join(sys.argv[1], name + ".jpg"), quality=92)
EOF
echo "Demo library: $app"

if $windows; then
  # The prefix the Wine suites use, made and kept ready by tests/win32/wine.sh
  # alone: a prefix made elsewhere lacks Wine's own fonts, and the window's
  # captions come out in a wider face and clipped.
  export WINEPREFIX="$root/build/$preset/wineprefix" WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
fi

# The pad: an SDL virtual controller preloaded into the program, its buttons
# written to a FIFO as "BUTTONS MILLISECONDS" lines (tools/pad_shim).
pad_env=()
if $pad && ! $windows; then
  fifo=$(mktemp -u /tmp/tavro-pad-XXXXXX)
  mkfifo "$fifo"
  pad_env=(LD_PRELOAD="$bin/stand-in/libtavro_pad_shim.so" TAVRO_PAD_FIFO="$fifo")
  echo "Pad: write lines such as 'dpdown 200' to $fifo"
fi

# The launcher takes the place of the shell that runs this, so that it is the
# process a background start's $! names.
start() {
  if $windows; then
    bash tests/win32/wine.sh --prepare "$root/build/$preset"
    exec wine "$app/$program"
  else
    exec env "${pad_env[@]}" "$app/$program"
  fi
}

if [ -n "${DISPLAY:-}" ]; then
  start
fi

# No display: run on Xvfb, select a game, wait for its cover, take a
# screenshot, close.
. scripts/xvfb.sh
start_xvfb 80 1280x800x24
xvfb=$xvfb_pid
pid=""
finish() {
  # The launcher ends before its display goes; each step runs whatever the
  # one before it gave.
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  # Wine's own processes of this session belong to this display.
  if $windows; then wineserver -k 2>/dev/null || true; fi
  kill "$xvfb" 2>/dev/null || true
}
trap finish EXIT
start &
pid=$!
wid=$(xdotool search --sync --onlyvisible --name '^Tavro FrontEnd$' | head -n 1)

if $pad; then
  # The window in front, then the pad alone: the shoulder twice to the file
  # list, down twice to its second game, the shoulder three times more to
  # Play Game.
  xdotool windowfocus --sync "$wid"
  {
    echo "- 500" # nothing held as the window comes to the front
    for button in rightshoulder rightshoulder dpdown dpdown rightshoulder rightshoulder \
      rightshoulder; do
      printf '%s 250\n- 250\n' "$button"
    done
  } >"$fifo"
  sleep 5
  rm -f "$fifo"
else
  # Click the second game of the file list (places in the window's own area
  # at 96 DPI).
  xdotool mousemove --window "$wid" 446 197 click 1
fi
# Wait until the middle of the cover box shows the middle of its cover.
/usr/bin/python3 - "$wid" "$app/Image/Harbor Lights.jpg" <<'EOF'
import sys
import time

from PIL import Image
from Xlib import X, display

want = Image.open(sys.argv[2]).convert("RGB").getpixel((100, 56))
window = display.Display().create_resource_object("window", int(sys.argv[1]))
for _ in range(100):
    data = window.get_image(206, 122, 1, 1, X.ZPixmap, 0xFFFFFFFF).data
    if all(abs(a - b) <= 12 for a, b in zip((data[2], data[1], data[0]), want)):
        sys.exit(0)
    time.sleep(0.1)
sys.exit("the cover did not show")
EOF
xdotool mousemove 1000 700 # the pointer off the window
suffix=""
$pad && suffix=-pad
shot="$root/demo/screenshot-$preset$suffix.png"
mkdir -p "$root/demo"
import -window "$wid" "$shot"
echo "Screenshot: $shot"
if ! $pad; then
  # The title view: the .rpx list, its first game selected, its own icon.
  xdotool mousemove --window "$wid" 752 40 click 1
  sleep 1
  xdotool mousemove --window "$wid" 446 184 click 1
  sleep 2
  xdotool mousemove 1000 700
  shot="$root/demo/screenshot-$preset-titles.png"
  import -window "$wid" "$shot"
  echo "Screenshot: $shot"
fi
