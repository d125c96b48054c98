#!/usr/bin/env bash
# Runs one Windows program under Wine and hands back its output and exit code.
#
#   wine.sh BUILD_DIR PROGRAM.exe [args...]
#   wine.sh --prepare BUILD_DIR     only makes the prefix ready, for a caller
#                                   that runs wine itself (scripts/demo.sh)
#
# The Wine prefix lives in BUILD_DIR/wineprefix and is made on first use (that
# takes seconds to tens of seconds); a 64-bit prefix runs 32- and 64-bit
# programs alike, provided wine32 was installed before it was made. A
# persistent wineserver is left running so later calls start quickly. Windows
# need an X display: the caller's DISPLAY (e.g. from xvfb-run), else an Xvfb of
# our own for the length of this call.
set -u

prepare_only=false
if [ "${1:-}" = --prepare ] && [ $# -eq 2 ]; then
  prepare_only=true
  build_dir=$2
  program=
  shift 2
elif [ $# -ge 2 ]; then
  build_dir=$1
  program=$2
  shift 2
else
  echo "usage: $0 BUILD_DIR PROGRAM.exe [args...] | $0 --prepare BUILD_DIR" >&2
  exit 2
fi

if [ ! -d "$build_dir" ]; then
  echo "wine.sh: no build folder $build_dir" >&2
  exit 2
fi
if ! $prepare_only && [ ! -f "$program" ]; then
  echo "wine.sh: no program $program" >&2
  exit 2
fi
for tool in wine wineboot wineserver; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "wine.sh: $tool is not installed (apt-get install wine wine32:i386 wine64)" >&2
    exit 2
  fi
done

export WINEPREFIX
WINEPREFIX="$(cd "$build_dir" && pwd)/wineprefix"
export WINEDEBUG=-all
# No prompts to install Mono or Gecko (CI has no internet), and no
# "configuration updated" dialog.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

own_xvfb_pid=
out_dir=
wine_pid=
cleanup() {
  if [ -n "$wine_pid" ] && kill -0 "$wine_pid" 2>/dev/null; then
    kill "$wine_pid" 2>/dev/null
    wait "$wine_pid" 2>/dev/null
  fi
  if [ -n "$out_dir" ]; then
    # Also when the caller ends us (a time limit): what the program said so
    # far is what tells why it hung.
    cat "$out_dir/stdout" 2>/dev/null
    cat "$out_dir/stderr" >&2 2>/dev/null
    rm -rf "$out_dir"
  fi
  if [ -n "$own_xvfb_pid" ]; then
    # Wine's windows belong to this display: end the wine session with it, so
    # the next call does not find a server tied to a display that is gone.
    wineserver -k >/dev/null 2>&1
    kill "$own_xvfb_pid" 2>/dev/null
    wait "$own_xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

if [ -z "${DISPLAY:-}" ]; then
  if ! command -v Xvfb >/dev/null 2>&1; then
    echo "wine.sh: DISPLAY is not set and Xvfb is not installed" >&2
    exit 2
  fi
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  own_xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    if ! kill -0 "$own_xvfb_pid" 2>/dev/null; then
      echo "wine.sh: Xvfb :$n did not start" >&2
      own_xvfb_pid=
      exit 2
    fi
    sleep 0.1
  done
  export DISPLAY=":$n"
fi

(
  # One caller makes the prefix; the others wait for it.
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine.sh: making the Wine prefix $WINEPREFIX" >&2
    # Servers started here must not inherit the lock, or it is held for ever.
    if ! wineboot -i >/dev/null 2>&1 9>&-; then
      echo "wine.sh: wineboot -i failed" >&2
      exit 1
    fi
    wineserver -w 9>&-
  fi
  # Debian's Wine looks for its own fonts (fonts-wine) beside its data
  # folder, where the package does not put them: without them "MS Sans
  # Serif" and Tahoma fall back to a wider face. The prefix's font folder is
  # searched too.
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -e "$fonts/sserife.fon" ]; then
    cp -n /usr/share/wine/fonts/* "$fonts/" 2>/dev/null
  fi
  # A program that crashes is reported on its output and ends, instead of
  # waiting for someone to close Wine's crash dialog.
  if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >/dev/null 2>&1 9>&-
  fi
  # A running server whose session lives on another display would put the
  # program's windows there: restart it on ours.
  stamp="$WINEPREFIX/.tavro-display"
  if [ "$(cat "$stamp" 2>/dev/null)" != "$DISPLAY" ]; then
    wineserver -k >/dev/null 2>&1 9>&-
    wineserver -w >/dev/null 2>&1 9>&-
    printf '%s' "$DISPLAY" >"$stamp"
  fi
  wineserver -p >/dev/null 2>&1 9>&-
  exit 0
) 9>"$WINEPREFIX.lock" </dev/null >/dev/null
status=$?
if [ $status -ne 0 ] || $prepare_only; then exit $status; fi

# The first program of a session starts Wine's own background processes
# (services, explorer), which inherit its output and outlive it: a caller
# reading that output through a pipe would wait for them for ever. So the
# program writes to files of our own, handed on when it ends.
out_dir=$(mktemp -d "${TMPDIR:-/tmp}/tavro-wine.XXXXXX")
# In the background, so a TERM from the caller is acted on at once.
wine "$program" "$@" </dev/null >"$out_dir/stdout" 2>"$out_dir/stderr" &
wine_pid=$!
wait "$wine_pid"
exit $?
