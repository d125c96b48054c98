# Sourced by the scripts that need an X server of their own.
#
#   start_xvfb FIRST_NUMBER [SCREEN]
#
# Starts Xvfb on the first free display from FIRST_NUMBER on, waits until it
# takes connections, exports DISPLAY and sets xvfb_pid. The caller stops it.
#
#   start_xvfb_detached FIRST_NUMBER [SCREEN]
#
# The same for a server that outlives the caller (its output goes nowhere, so
# nobody reading the caller's output waits for it); stop_xvfb PID ends it.
start_xvfb() {
  _xvfb_start "$1" "${2:-1280x1024x24}" false
}

start_xvfb_detached() {
  _xvfb_start "$1" "${2:-1280x1024x24}" true
}

stop_xvfb() {
  local pid=$1
  # Only an Xvfb: the number may be another process's by now.
  case "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" in
    Xvfb*) kill "$pid" 2>/dev/null ;;
  esac
}

_xvfb_start() {
  local n=$1 screen=$2 detached=$3 tries
  for tries in $(seq 1 20); do
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    # -noreset: a server that resets when its last client leaves refuses the
    # next one for a moment, and the suites connect and leave all the time.
    if $detached; then
      Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset </dev/null >/dev/null 2>&1 &
    else
      Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
    fi
    xvfb_pid=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
    # Another server took the number between the look and the start.
    n=$((n + 1))
  done
  echo "xvfb.sh: no Xvfb would start" >&2
  return 1
}
