#!/usr/bin/env bash
# Builds the fuzz targets (clang 14, libFuzzer, ASan + UBSan) and runs each
# for a bounded time from its seed corpus in tests/fuzz/corpus, two at a time
# (CTest, preset "fuzz"; scripts/fuzz_target.sh). Ends with one line
# "N passed, N failed": a target passes when it ran its time out without a
# crash or a failed property.
#   bash scripts/fuzz.sh [SECONDS_EACH]   (default 60)
set -uo pipefail
cd "$(dirname "$0")/.."
export TAVRO_FUZZ_SECONDS=${1:-60}
{ cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -- -j2 >/dev/null; } ||
  { echo "0 passed, 1 failed"; exit 1; }
TAVRO_TEST_RESULTS=$(mktemp -d)
export TAVRO_TEST_RESULTS
trap 'rm -rf "$TAVRO_TEST_RESULTS"' EXIT
ctest --preset fuzz >/dev/null
passed=0
failed=0
for target in ini pattern cover command meta titlecache icon wua; do
  log="$TAVRO_TEST_RESULTS/fuzz.$target.log"
  grep -v "^fuzz\.$target: " "$log" 2>/dev/null || echo "fuzz_$target did not run"
  if [ "$(cat "$TAVRO_TEST_RESULTS/fuzz.$target.count" 2>/dev/null)" = "1 0" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
