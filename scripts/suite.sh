#!/usr/bin/env bash
# Runs one CTest test: a suite, or one group of one, and counts what it ran.
#
#   suite.sh --name NAME --count KIND [--group GROUP] [--session BUILD_DIR
#          [--session-wine] [--whole-display]] [--wine BUILD_DIR] [--lock NAME]...
#          -- COMMAND [ARGS...]
#
# KIND says how the suite reports: gtest (GoogleTest's summary), gtest-rest
# (the same, and running no test at all is no fault), qtest (QTest's Totals
# lines), plain (its last "N passed, N failed" line), exit (its exit code
# alone, one check). A run that counts nothing, or ends non-zero with no
# failure counted, counts as one failure.
#
# --group: the GoogleTest test suite the command runs (see GTEST_FILTER below).
# --session: the test needs an X display: the build folder's (scripts/session.sh,
# started by CTest as a fixture), else one started for this run alone
# (--session-wine: the session of a Windows build, see scripts/session.sh).
# --whole-display: the test has the display to itself (CTest's resource
# "display"), and finds it as a fresh one.
# --wine: COMMAND is a Windows program, run under Wine in the build folder's
# prefix (tests/win32/wine.sh). --lock: held for the whole run, across build
# folders and CTest runs (what one build folder's suites do to another's:
# ending every process named like the emulator, say).
#
# Prints the suite's output and then "NAME: N passed, N failed"; with
# TAVRO_TEST_RESULTS set, also leaves NAME.log and NAME.count ("PASSED
# FAILED") there, for scripts/test.sh to add up. Exits non-zero on any
# failure.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

name= kind= group= session= session_wine= wine_dir= whole_display=false
locks=()
while [ $# -gt 0 ]; do
  case $1 in
    --name) name=$2; shift 2 ;;
    --count) kind=$2; shift 2 ;;
    --group) group=$2; shift 2 ;;
    --session) session=$2; shift 2 ;;
    --session-wine) session_wine=--wine; shift ;;
    --whole-display) whole_display=true; shift ;;
    --wine) wine_dir=$2; shift 2 ;;
    --lock) locks+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) echo "suite.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
if [ -z "$name" ] || [ -z "$kind" ] || [ $# -eq 0 ]; then
  echo "usage: suite.sh --name NAME --count KIND [options] -- COMMAND [ARGS...]" >&2
  exit 2
fi

own_session=false
cleanup() {
  $own_session && bash "$here/session.sh" down "$session"
  [ -n "${log:-}" ] && [ -z "${TAVRO_TEST_RESULTS:-}" ] && rm -f "$log"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# The session's display; without one (the test run on its own, outside
# CTest's fixtures), a session for this run alone.
live_display() {
  local display= pid=
  read -r display pid _ 2>/dev/null <"$session/test-session/display"
  [ -n "$display" ] && kill -0 "$pid" 2>/dev/null && echo "$display"
}
if [ -n "$session" ]; then
  if ! DISPLAY=$(live_display); then
    own_session=true
    bash "$here/session.sh" up "$session" $session_wine >/dev/null || exit 1
    DISPLAY=$(live_display) || exit 1
  fi
  export DISPLAY
  XDG_RUNTIME_DIR=$(cat "$session/test-session/runtime") && export XDG_RUNTIME_DIR
  if $whole_display; then
    # Whatever ran before left the pointer somewhere: it starts where a fresh
    # display has it, in the middle, away from where the windows open.
    read -r width height < <(xdotool getdisplaygeometry)
    xdotool mousemove $((width / 2)) $((height / 2))
  fi
fi

fd=20
for lock in "${locks[@]}"; do
  # Descriptors from 20 on, one per lock, kept open until the end.
  fd=$((fd + 1))
  eval "exec $fd>\"\${TMPDIR:-/tmp}/tavro-tests-$lock-$(id -u).lock\""
  flock "$fd"
done

if [ -n "${TAVRO_TEST_RESULTS:-}" ]; then
  mkdir -p "$TAVRO_TEST_RESULTS"
  log="$TAVRO_TEST_RESULTS/$name.log"
  rm -f "$TAVRO_TEST_RESULTS/$name.count"
else
  log=$(mktemp "${TMPDIR:-/tmp}/tavro-run.XXXXXX")
fi

# GTEST_FILTER (GoogleTest's own variable, which a group's --gtest_filter
# would override) narrows the group GROUP to what it names: of its SUITE.TEST
# patterns (a bare SUITE is SUITE.*), those whose SUITE matches GROUP; a group
# it names nothing of runs nothing.
if [ -n "${GTEST_FILTER:-}" ] && [ -n "$group" ]; then
  positive=${GTEST_FILTER%%-*} negative=
  [ "$positive" != "$GTEST_FILTER" ] && negative=-${GTEST_FILTER#*-}
  mine=
  IFS=: read -ra patterns <<<"${positive:-*}"
  for pattern in "${patterns[@]}"; do
    test_group='*'
    [[ $pattern == *.* ]] && test_group=${pattern#*.}
    # shellcheck disable=SC2053  # the group's name against the pattern's glob
    [[ $group == ${pattern%%.*} ]] && mine+=${mine:+:}$group.$test_group
  done
  if [ -z "$mine" ]; then
    echo "$name: GTEST_FILTER names none of its tests"
    [ -n "${TAVRO_TEST_RESULTS:-}" ] && echo "0 0" >"$TAVRO_TEST_RESULTS/$name.count"
    exit 0
  fi
  for i in $(seq 1 $#); do
    [[ ${!i} == --gtest_filter=* ]] && set -- "${@:1:i-1}" "--gtest_filter=$mine$negative" "${@:i+1}"
  done
fi
if [ -n "$wine_dir" ]; then
  set -- bash "$root/tests/win32/wine.sh" "$wine_dir" "$@"
fi
"$@" 2>&1 | tee "$log"
rc=${PIPESTATUS[0]}

passed=0 failed=0
case $kind in
  gtest | gtest-rest)
    passed=$(grep -Eo '^\[  PASSED  \] [0-9]+' "$log" | grep -Eo '[0-9]+$' | tail -n1)
    failed=$(grep -Eo '^\[  FAILED  \] [0-9]+ tests?, listed below' "$log" | grep -Eo '[0-9]+' | tail -n1)
    ;;
  qtest)
    passed=$(grep -Eo '^Totals: [0-9]+ passed' "$log" | grep -Eo '[0-9]+' | awk '{s+=$1} END {print s+0}')
    failed=$(grep -Eo '^Totals: [0-9]+ passed, [0-9]+ failed' "$log" | grep -Eo '[0-9]+ failed' |
      grep -Eo '[0-9]+' | awk '{s+=$1} END {print s+0}')
    ;;
  plain)
    last=$(grep -Eo '[0-9]+ passed, [0-9]+ failed' "$log" | tail -n1)
    passed=$(echo "$last" | grep -Eo '^[0-9]+')
    failed=$(echo "$last" | grep -Eo '[0-9]+ failed' | grep -Eo '[0-9]+')
    ;;
  exit)
    if [ "$rc" -eq 0 ]; then passed=1; else failed=1; fi
    ;;
  *)
    echo "suite.sh: unknown count kind $kind" >&2
    exit 2
    ;;
esac
passed=${passed:-0}
failed=${failed:-0}
nothing_counted=false
if [ "$passed" -eq 0 ] && [ "$failed" -eq 0 ]; then
  # GoogleTest says "[  PASSED  ] 0 tests." when the filter matched nothing,
  # and lists what it skipped on purpose (a case this platform cannot have):
  # neither counts, neither fails.
  if [ "$rc" -eq 0 ] && grep -q '^\[  SKIPPED \] [0-9]* tests\?, listed below' "$log"; then
    :
  elif [ "$kind" != gtest-rest ] || [ "$rc" -ne 0 ] || ! grep -q '^\[  PASSED  \] 0 tests' "$log"; then
    nothing_counted=true
  fi
fi
if $nothing_counted || { [ "$rc" -ne 0 ] && [ "$failed" -eq 0 ]; }; then
  failed=$((failed + 1))
  # Into the log too: the summary shows a log's last lines, and a suite
  # ended by a signal (exit 128+N) leaves no failure line of its own.
  echo "$name did not finish cleanly (exit $rc)" | tee -a "$log"
fi
echo "$name: $passed passed, $failed failed"
[ -n "${TAVRO_TEST_RESULTS:-}" ] && echo "$passed $failed" >"$TAVRO_TEST_RESULTS/$name.count"
[ "$failed" -eq 0 ]
