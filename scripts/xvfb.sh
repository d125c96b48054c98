# Sourced by the scripts that need an X server of their own.
#
#   start_xvfb FIRST_NUMBER [SCREEN]
#
# Starts Xvfb on the first free display from FIRST_NUMBER on, waits until it
# takes connections, exports DISPLAY and sets xvfb_pid. The caller stops it.
start_xvfb() {
  local n=$1 screen=${2:-1280x1024x24}
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  # -noreset: a server that resets when its last client leaves refuses the
  # next one for a moment, and the suites connect and leave all the time.
  Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}
