#!/usr/bin/env bash
# Installs what is missing, builds the launcher, lays out a demo library
# (sample games, covers, the stand-in emulator) in demo/ and opens the
# launcher on it. Without a display it runs under Xvfb and saves a screenshot.
#
#   scripts/demo.sh            the Linux program
#   scripts/demo.sh --windows  the 32-bit .exe under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

windows=false
[ "${1:-}" = "--windows" ] && windows=true

bash scripts/deps.sh
if $windows; then
  bash scripts/build.sh win32
  preset=win32 program=Tavro_FrontEnd.exe
else
  bash scripts/build.sh linux
  preset=linux program=Tavro_FrontEnd
fi
bin="$root/build/$preset/bin"

# The demo library: the program in a folder of its own, as a player keeps it.
app="$root/demo/$preset/Tavro FrontEnd"
rm -rf "$app" && mkdir -p "$app"
cp "$bin/$program" "$app/"
mkdir -p "$app/Game/WUD_WUX" "$app/Game/RPX" "$app/Emulator" "$app/Image"
cp "$bin/stand-in/Cemu.exe" "$app/Emulator/Cemu.exe"
for game in "Puzzle Garden" "Star Racer" "Castle Of Echoes"; do
  : >"$app/Game/WUD_WUX/$game.wud"
done
: >"$app/Game/WUD_WUX/Harbor Lights.wux"
for game in "Sky Islands" "Tiny Tanks"; do
  mkdir -p "$app/Game/RPX/$game/code"
  : >"$app/Game/RPX/$game/code/${game// /}.rpx"
done
# Covers drawn here: a coloured card with the game's name.
colours=("#3b6fb6" "#b6493b" "#3bb66a" "#8a3bb6" "#b6a23b" "#3bb0b6")
i=0
for game in "Puzzle Garden" "Star Racer" "Castle Of Echoes" "Harbor Lights" "SkyIslands" "TinyTanks"; do
  convert -size 201x113 "xc:${colours[$i]}" -fill white -gravity center -pointsize 18 \
    -annotate 0 "$game" "$app/Image/$game.jpg" 2>/dev/null || true
  i=$((i + 1))
done
echo "Demo library: $app"

if $windows; then
  export WINEPREFIX="$root/build/$preset/wineprefix" WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
fi

start() {
  if $windows; then
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
    wine "$app/$program" "$@"
  else
    "$app/$program" "$@"
  fi
}

if [ -n "${DISPLAY:-}" ]; then
  start
  exit 0
fi

# No display: run on Xvfb, wait for the window, take a screenshot, close.
n=80
while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
start &
pid=$!
wid=$(xdotool search --sync --name '^Tavro FrontEnd$' | head -n 1)
sleep 2
shot="$root/demo/screenshot-$preset.png"
import -window "$wid" "$shot"
echo "Screenshot: $shot"
if $windows; then
  wineserver -k 2>/dev/null || true
else
  kill $pid 2>/dev/null || true
fi
wait $pid 2>/dev/null || true
