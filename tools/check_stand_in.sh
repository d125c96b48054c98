#!/bin/bash
# Checks the Linux stand-in emulator from a build: run it from a folder whose
# path has a blank and a non-ASCII letter, and check the record it leaves
# beside itself, its window, that it keeps running until killed, and that a
# second start appends a second record.
# Usage: tools/check_stand_in.sh BIN_FOLDER   (needs DISPLAY, e.g. under xvfb-run)
set -u

fail() {
  echo "stand-in FAILED: $*" >&2
  exit 1
}

bin=${1:?usage: check_stand_in.sh BIN_FOLDER}
exe=$bin/stand-in/Cemu.exe
[ -x "$exe" ] || exe=$bin/Cemu.exe
[ -x "$exe" ] || fail "no Cemu.exe in $bin or $bin/stand-in"
[ -n "${DISPLAY:-}" ] || fail "DISPLAY is not set"

pid=""
work=$(mktemp -d)
trap '[ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; rm -rf "$work"' EXIT
folder="$work/Emu lator ü"
mkdir -p "$folder"
cp "$exe" "$folder/Cemu.exe"
record="$folder/received-command-line.txt"

# Waits (bounded) until the record file holds $1 records, i.e. $1 empty lines.
wait_for_records() {
  for _ in $(seq 100); do
    [ -f "$record" ] && [ "$(grep -c '^$' "$record")" -ge "$1" ] && return 0
    sleep 0.1
  done
  fail "no complete record number $1 in $record"
}

# Kills $1 and checks it was still running when killed (status 128 + SIGKILL).
kill_running() {
  kill -KILL "$1" 2>/dev/null
  { wait "$1"; } 2>/dev/null
  local status=$?
  pid=""
  [ "$status" -eq 137 ] || fail "the stand-in had already ended (status $status)"
}

"$folder/Cemu.exe" -f -g "/tmp/some dir/Game ü.wud" &
pid=$!
wait_for_records 1
printf '%s\n' -f -g "/tmp/some dir/Game ü.wud" "" >"$work/expected"
cmp -s "$record" "$work/expected" || fail "record differs: $(od -c "$record" | head -20)"

window=""
for _ in $(seq 100); do
  window=$(xdotool search --all --pid "$pid" --name '^Stand-in emulator$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled 'Stand-in emulator' for pid $pid"
kill_running "$pid"

# A second start appends; the one-argument record follows the first.
env -u DISPLAY "$folder/Cemu.exe" "C:\\x y\\Other.rpx" 2>/dev/null &
pid=$!
wait_for_records 2
printf '%s\n' 'C:\x y\Other.rpx' "" >>"$work/expected"
cmp -s "$record" "$work/expected" || fail "second record differs: $(od -c "$record" | head -20)"
# Without a display it keeps running, windowless, until killed.
kill_running "$pid"

echo "stand-in ok"
