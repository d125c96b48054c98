#!/usr/bin/env bash
# Installs what is missing, builds every target (Linux, Linux with sanitizers,
# Windows 32- and 64-bit) and runs every suite: core (Linux, ASan, and under
# Wine), posix (Xvfb), qt (offscreen), win32 (Wine), e2e (the real programs on
# Xvfb), wayland (a headless KWin and a stand-in portal), packages (the zip, .deb and tarball, unpacked and started). Ends with
# one line "N passed, N failed"; exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh || exit 1
bash scripts/build.sh linux win32 win64 || { echo "0 passed, 1 failed"; exit 1; }
echo "== build linux-asan (core suite)"
{ cmake --preset linux-asan >/dev/null && cmake --build --preset linux-asan --target tavro_core_tests -- -j2 >/dev/null; } ||
  { echo "0 passed, 1 failed"; exit 1; }

results="$root/build/test-results"
rm -rf "$results" && mkdir -p "$results"

# One X server for the whole run; Wine's windows, the X11 services and the
# end-to-end tests all use it.
. scripts/xvfb.sh
start_xvfb 70
# The launchers the suites start take their one-per-user lock in a runtime
# folder of the run's own: a launcher the same user has open is no second
# instance to them, nor they to it.
XDG_RUNTIME_DIR=$(mktemp -d) && export XDG_RUNTIME_DIR
cleanup() {
  WINEPREFIX="$root/build/win32/wineprefix" wineserver -k >/dev/null 2>&1
  WINEPREFIX="$root/build/win64/wineprefix" wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  rm -rf "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT

total_passed=0
total_failed=0

# suite NAME KIND COMMAND...: runs a suite, keeps its output, counts it.
# KIND gtest reads GoogleTest's summary, qtest QTest's Totals lines, plain
# the last "N passed, N failed" line, exit the exit code alone (one check). A suite that prints no count or exits
# non-zero with no failure counted counts as one failure.
suite() {
  local name=$1 kind=$2
  shift 2
  local log="$results/$name.log"
  echo "== $name"
  "$@" >"$log" 2>&1
  local rc=$? passed=0 failed=0
  case $kind in
    gtest)
      passed=$(grep -Eo '^\[  PASSED  \] [0-9]+' "$log" | grep -Eo '[0-9]+$' | tail -n1)
      failed=$(grep -Eo '^\[  FAILED  \] [0-9]+ tests?, listed below' "$log" | grep -Eo '[0-9]+' | tail -n1)
      ;;
    qtest)
      passed=$(grep -Eo '^Totals: [0-9]+ passed' "$log" | grep -Eo '[0-9]+' | awk '{s+=$1} END {print s+0}')
      failed=$(grep -Eo '^Totals: [0-9]+ passed, [0-9]+ failed' "$log" | grep -Eo '[0-9]+ failed' |
        grep -Eo '[0-9]+' | awk '{s+=$1} END {print s+0}')
      ;;
    exit)
      if [ "$rc" -eq 0 ]; then passed=1; else failed=1; fi
      ;;
    plain)
      local last
      last=$(grep -Eo '[0-9]+ passed, [0-9]+ failed' "$log" | tail -n1)
      passed=$(echo "$last" | grep -Eo '^[0-9]+')
      failed=$(echo "$last" | grep -Eo '[0-9]+ failed' | grep -Eo '[0-9]+')
      ;;
  esac
  passed=${passed:-0}
  failed=${failed:-0}
  if [ "$passed" -eq 0 ] && [ "$failed" -eq 0 ] || { [ "$rc" -ne 0 ] && [ "$failed" -eq 0 ]; }; then
    failed=$((failed + 1))
    echo "   $name did not finish cleanly (exit $rc); last lines:"
    tail -n 15 "$log" | sed 's/^/   | /'
  elif [ "$failed" -ne 0 ]; then
    grep -E '^\[  FAILED  \]|^FAIL!|FAILED:' "$log" | head -n 20 | sed 's/^/   | /'
  fi
  echo "   $name: $passed passed, $failed failed"
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
}

wine_run() { bash "$root/tests/win32/wine.sh" "$@"; }
py=/usr/bin/python3

suite core gtest build/linux/bin/tavro_core_tests
suite core-asan gtest env ASAN_OPTIONS=detect_leaks=1 build/linux-asan/bin/tavro_core_tests
suite posix gtest build/linux/bin/tavro_posix_tests
suite qt qtest env QT_QPA_PLATFORM=offscreen build/linux/bin/tavro_qt_tests -nocrashhandler
# Hostile input: each fuzz target for a bounded time from its seed corpus.
suite fuzz plain bash scripts/fuzz.sh 60
suite pictures exit $py resources/check_pictures.py resources
suite stand-in exit bash tools/check_stand_in.sh build/linux/bin
for arch in win32 win64; do
  suite "core-$arch" gtest wine_run "build/$arch" "build/$arch/bin/tavro_core_tests.exe"
  suite "services-$arch" gtest wine_run "build/$arch" "build/$arch/bin/tavro_win32_services_tests.exe"
  suite "view-$arch" gtest wine_run "build/$arch" "build/$arch/bin/tavro_win32_view_tests.exe"
done
# Our settings reader against the platform's own profile functions.
suite ini-oracle gtest wine_run build/win32 build/win32/bin/tavro_ini_oracle_tests.exe
# Both .exe files load on Windows 7: nothing in their import tables is newer.
suite imports plain $py tests/win32/check_imports.py build/win32/bin/Tavro_FrontEnd.exe \
  build/win64/bin/Tavro_FrontEnd.exe
suite e2e plain $py tests/e2e/run_e2e.py --build "$root/build"
# Esc through the desktop portal on Wayland: a headless KWin with KDE's
# portal, and a stand-in portal for the answers KDE never gives.
suite wayland plain $py tests/wayland/run_wayland.py --build "$root/build/linux"
# The zip, .deb and tarball packed from the linux and win32 folders built
# above, unpacked into fresh folders and started from there.
suite packages plain $py tests/packages/check_packages.py --build "$root/build"

echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
