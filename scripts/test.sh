#!/usr/bin/env bash
# Installs what is missing, builds every preset (Windows 32- and 64-bit, Linux,
# Linux with sanitizers, the fuzz targets) and runs every suite under CTest:
# core (Linux, ASan, and under Wine), posix, qt, win32, ini-oracle, e2e,
# wayland, packages, fuzz and the checks of the built files. Ends with one
# line "N passed, N failed"; exits non-zero on any failure.
#
# The presets build one after another on every core, and each one's suites
# run while the next builds: most of their time is spent waiting on Wine and
# X, not computing. Each build folder's suites get an Xvfb, a runtime folder
# (and a Wine prefix) of their own from CTest (scripts/session.sh), so the
# folders' suites run side by side; within a folder, those that use the
# display take turns.
#   TAVRO_TEST_JOBS   suites at once per build folder (2)
#   TAVRO_FUZZ_SECONDS  each fuzz target's time (60)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${TAVRO_TEST_JOBS:-2}

bash scripts/deps.sh || exit 1

results="$root/build/test-results"
rm -rf "$results" && mkdir -p "$results"
# Every display the suites use is an Xvfb of their own.
unset DISPLAY
started=$(date +%s)
since() { echo "$(($(date +%s) - started)) s"; }

# build PRESET [TARGET...]: configures and builds, one build per folder at a
# time (the lock scripts/build.sh and the benchmarks take); when that fails,
# goes on one job at a time (as scripts/build.sh does), so that an error is
# readable, and shows it.
build() {
  local preset=$1 log="$results/build-$1.log"
  shift
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  echo "== build $preset ($(since))"
  local step='cmake --preset "$0" && cmake --build --preset "$0" "$@" -- -j'
  flock "/tmp/tavro-build-$preset.lock" sh -c "${step}2" "$preset" "${targets[@]}" >"$log" 2>&1 &&
    return 0
  echo "   the $preset build failed with two jobs; again with one (see $log)"
  if flock "/tmp/tavro-build-$preset.lock" sh -c "${step}1" "$preset" "${targets[@]}" >>"$log" 2>&1; then
    return 0
  fi
  echo "   the $preset build failed:"
  grep -E 'error|Error' "$log" | tail -n 20 | sed 's/^/   | /'
  echo "$preset" >>"$results/failed-builds"
  return 1
}

# suites PRESET [CTEST ARGS...]: runs the folder's suites (those the arguments
# pick) and keeps the list of what should have run, for the tally.
suites() {
  local preset=$1 dir="$root/build/$1"
  shift
  local list="$results/$preset.tests"
  ctest --test-dir "$dir" -N "$@" | sed -n 's/^ *Test *#[0-9]*: //p' | grep -v '^session\.' >"$list"
  echo "== $preset: $(wc -l <"$list") tests ($(since))"
  TAVRO_TEST_RESULTS="$results/$preset" ctest --test-dir "$dir" -j "$jobs" "$@" \
    >"$results/ctest-$preset.log" 2>&1
  echo "== $preset: done ($(since))"
}

pids=()
# Windows first: theirs are the longest suites.
# The benchmarks' programs are built too (by name: they are not in a preset's
# build), so that a change that breaks them shows here.
build win32 all tavro_reference_win32 tavro_reference_win32_picture tavro_reference_win32_form &&
  { suites win32 & pids+=($!); }
build win64 && { suites win64 & pids+=($!); }
# The packages are made from the linux and win32 folders: both are built here.
build linux all tavro_reference_qt tavro_reference_qt_picture tavro_reference_qt_form \
  tavro_settings_bench tavro_titles_bench && { suites linux & pids+=($!); }
build linux-asan tavro_core_tests && { suites linux-asan -L core & pids+=($!); }
build fuzz && { suites fuzz & pids+=($!); }
wait "${pids[@]}"
echo "== all suites ran ($(since))"

# The tally: each test's count, left by scripts/suite.sh; a test that left none
# (it never ran, or was ended for taking too long) counts as one failure.
total_passed=0
total_failed=0
for preset in win32 win64 linux linux-asan fuzz; do
  list="$results/$preset.tests"
  [ -f "$list" ] || continue
  declare -A passed=() failed=()
  order=()
  while read -r name; do
    suite=${name%%.*}
    [ -n "${passed[$suite]+x}" ] || { order+=("$suite"); passed[$suite]=0; failed[$suite]=0; }
    count="$results/$preset/$name.count"
    if [ -f "$count" ]; then
      read -r p f <"$count"
    else
      p=0 f=1
      echo "   $name did not run to its end (see $results/ctest-$preset.log)"
    fi
    if [ "$f" -ne 0 ] && [ -f "$results/$preset/$name.log" ]; then
      echo "   $name:"
      { grep -E '^\[  FAILED  \]|^FAIL|FAILED' "$results/$preset/$name.log" ||
        tail -n 15 "$results/$preset/$name.log"; } | head -n 20 | sed 's/^/   | /'
    fi
    passed[$suite]=$((passed[$suite] + p))
    failed[$suite]=$((failed[$suite] + f))
  done <"$list"
  for suite in "${order[@]}"; do
    echo "   $suite: ${passed[$suite]} passed, ${failed[$suite]} failed"
    total_passed=$((total_passed + passed[$suite]))
    total_failed=$((total_failed + failed[$suite]))
  done
  unset passed failed
done
# A preset that did not build ran none of its suites.
if [ -f "$results/failed-builds" ]; then
  total_failed=$((total_failed + $(wc -l <"$results/failed-builds")))
fi
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
