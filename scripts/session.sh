#!/usr/bin/env bash
# The X server (and the Wine prefix) one build folder's tests share under
# CTest, registered as the fixture every such test requires: CTest starts it
# before the first of them and ends it after the last, also when only one
# test was asked for.
#
#   session.sh up BUILD_DIR [--wine]   starts an Xvfb; with --wine also keeps
#                                      the windows' WM_STATE on it
#                                      (scripts/wm_state.py) and makes
#                                      BUILD_DIR's Wine prefix ready
#   session.sh down BUILD_DIR          ends the prefix's wineserver and the rest
#
# Also a runtime folder (XDG_RUNTIME_DIR) of the session's own, where the
# launchers the suites start take their one-per-user lock: one the user has
# open is no second instance to them, nor those of another build folder.
# BUILD_DIR/test-session/display holds the display and the Xvfb's process id,
# BUILD_DIR/test-session/runtime the runtime folder; scripts/suite.sh reads
# them. The first display tried is TAVRO_XVFB_FIRST (70).
set -u

mode=${1:-}
build_dir=${2:-}
if [ -z "$build_dir" ] || { [ "$mode" != up ] && [ "$mode" != down ]; }; then
  echo "usage: $0 up BUILD_DIR [--wine] | $0 down BUILD_DIR" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
state="$build_dir/test-session"
. "$here/xvfb.sh"

stop() {
  local display pid keeper
  if [ -f "$state/runtime" ]; then
    rm -rf "$(cat "$state/runtime")"
    rm -f "$state/runtime"
  fi
  read -r display pid keeper 2>/dev/null <"$state/display" || return 0
  if [ -d "$build_dir/wineprefix" ] && command -v wineserver >/dev/null 2>&1; then
    WINEPREFIX="$(cd "$build_dir" && pwd)/wineprefix" wineserver -k >/dev/null 2>&1
  fi
  if [ -n "$keeper" ] && grep -q wm_state "/proc/$keeper/cmdline" 2>/dev/null; then
    kill "$keeper"
  fi
  stop_xvfb "$pid"
  rm -f "$state/display"
}

if [ "$mode" = down ]; then
  stop
  exit 0
fi

# A session left behind by a run that was cut short goes first.
stop
mkdir -p "$state"
mktemp -d "${TMPDIR:-/tmp}/tavro-runtime.XXXXXX" >"$state/runtime" || exit 1
start_xvfb_detached "${TAVRO_XVFB_FIRST:-70}" || exit 1
echo "$DISPLAY $xvfb_pid" >"$state/display"
echo "X display $DISPLAY (Xvfb $xvfb_pid)"
if [ "${3:-}" = --wine ]; then
  # Without a window manager Wine waits two seconds on every window it hides.
  rm -f "$state/wm-ready"
  /usr/bin/python3 "$here/wm_state.py" --ready "$state/wm-ready" </dev/null >/dev/null 2>&1 &
  echo "$DISPLAY $xvfb_pid $!" >"$state/display"
  for _ in $(seq 1 100); do [ -e "$state/wm-ready" ] && break; sleep 0.1; done
  [ -e "$state/wm-ready" ] || { echo "session.sh: wm_state.py did not start" >&2; stop; exit 1; }
  # Making a prefix takes tens of seconds: done here, once, not in a test.
  bash "$here/../tests/win32/wine.sh" --prepare "$build_dir" || { stop; exit 1; }
fi
