#!/usr/bin/env bash
# Runs every benchmark and prints its tables: the file list against a bare
# readdir loop (Google Benchmark), start-up and peak memory of both programs
# against the bare windows of their toolkits and the form's floor, walking
# 60 games with large covers against the form's floor, Play Game to the emulator
# started against a bare spawn, and idle wake-ups and CPU. Figures and
# ratios only; nothing here passes or fails on a speed.
#
#   bash scripts/bench.sh [--build DIR] [--runs N] [--idle-seconds S] [--no-build]
#                         [--only linux|wine] [--profile]
#
# --profile adds where a first start spends its time (bench/profile.py:
# strace of the Linux programs, Wine's DLL load trace of the Windows ones).
# Builds what it measures first (linux and win32 presets into build/), unless
# --no-build or --build names another folder (one laid out like build/).
# Always on an Xvfb of its own: a window manager or a compositor on a real
# desktop would put their own work into the figures.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build="$root/build"
runs=7
idle=60
do_build=1
profile=0
only=()
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$(realpath "$2"); [ "$build" = "$root/build" ] || do_build=0; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --idle-seconds) idle=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --only) only=(--only "$2"); shift 2 ;;
    --profile) profile=1; shift ;;
    *) echo "usage: $0 [--build DIR] [--runs N] [--idle-seconds S] [--no-build] [--only linux|wine] [--profile]" >&2
       exit 2 ;;
  esac
done

if [ $do_build -eq 1 ]; then
  bash scripts/deps.sh || exit 1
  for preset in linux win32; do
    case $preset in
      linux) targets="Tavro_FrontEnd stand_in_emulator tavro_reference_qt tavro_reference_qt_picture tavro_reference_qt_form tavro_file_list_bench tavro_settings_bench tavro_titles_bench" ;;
      win32) targets="Tavro_FrontEnd stand_in_emulator tavro_reference_win32 tavro_reference_win32_picture tavro_reference_win32_form" ;;
    esac
    echo "== build $preset"
    # Others may build in the same folder: one build at a time.
    flock "/tmp/tavro-build-$preset.lock" sh -c \
      "cmake --preset $preset >/dev/null && cmake --build --preset $preset --target $targets -- -j2 >/dev/null" ||
      { echo "bench.sh: the $preset build failed" >&2; exit 1; }
  done
fi

. scripts/xvfb.sh
start_xvfb 80
cleanup() {
  # Only the server of the benchmarks' own prefix; the suites' are left alone.
  WINEPREFIX="$build/win32/bench-wineprefix" wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  rm -rf "${XDG_RUNTIME_DIR:-}"
}
trap cleanup EXIT

# The launcher lets one instance run per user, by a lock in the user's
# runtime folder: one of our own keeps a launcher the same user runs (a test
# run, a game session) from ending the measured ones at start.
XDG_RUNTIME_DIR=$(mktemp -d) && export XDG_RUNTIME_DIR
py=/usr/bin/python3
status=0

if [ ${#only[@]} -eq 0 ] || [ "${only[1]}" = linux ]; then
  if [ -x "$build/linux/bin/tavro_file_list_bench" ]; then
    echo
    echo "File1 filled from 30,000 disc images + 30,000 other files, against a bare readdir loop"
    echo "($build/linux/bin/tavro_file_list_bench)"
    "$build/linux/bin/tavro_file_list_bench" --benchmark_repetitions="$runs" \
      --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '_median' |
      awk '{ ms[$1] = $2; print }
           END { if (ms["BareReaddir_median"] > 0)
                   printf "File1 / bare readdir loop: %.2fx\n", ms["FileListBox_median"] / ms["BareReaddir_median"];
                 else exit 1 }' || status=1
  fi
fi
if [ ${#only[@]} -eq 0 ] || [ "${only[1]}" = linux ]; then
  if [ -x "$build/linux/bin/tavro_settings_bench" ]; then
    echo
    echo "The settings file of 650,000 folder lines, and DiscPattern's masks"
    echo "($build/linux/bin/tavro_settings_bench)"
    "$build/linux/bin/tavro_settings_bench" "$runs" || status=1
  fi
  if [ -x "$build/linux/bin/tavro_titles_bench" ]; then
    echo
    echo "The title view's .rpx list of 1,000 games, against a bare read of their names"
    echo "($build/linux/bin/tavro_titles_bench)"
    "$build/linux/bin/tavro_titles_bench" "$runs" || status=1
  fi
fi
for script in startup walk launch; do
  echo
  $py "bench/$script.py" --build "$build" --runs "$runs" "${only[@]}" || status=1
done
echo
$py bench/idle.py --build "$build" --seconds "$idle" "${only[@]}" || status=1
if [ $profile -eq 1 ]; then
  echo
  $py bench/profile.py --build "$build" "${only[@]}" || status=1
fi
exit $status
