#!/usr/bin/env bash
# Builds the fuzz targets (clang 14, libFuzzer, ASan + UBSan) and runs each
# for a bounded time from its seed corpus in tests/fuzz/corpus. Ends with one
# line "N passed, N failed": a target passes when it ran its time out without
# a crash or a failed property.
#   bash scripts/fuzz.sh [SECONDS_EACH]   (default 60)
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
{ cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -- -j2 >/dev/null; } ||
  { echo "0 passed, 1 failed"; exit 1; }
passed=0
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in ini pattern cover command; do
  # New inputs go to a scratch corpus; the checked-in seeds stay as they are.
  mkdir -p "$work/$target"
  if build/fuzz/bin/fuzz_$target -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$work/" "$work/$target" "tests/fuzz/corpus/$target" \
    >"$work/$target.log" 2>&1; then
    passed=$((passed + 1))
    echo "fuzz_$target: $(grep -Eo '#[0-9]+' "$work/$target.log" | tail -n1 | tr -d '#') runs, no failure"
  else
    failed=$((failed + 1))
    echo "fuzz_$target FAILED:"
    grep -E 'property failed|ERROR|SUMMARY' "$work/$target.log" | head -n 5 | sed 's/^/  /'
    ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* 2>/dev/null | head -n 3 | while read -r f; do
      echo "  input: $(base64 -w0 "$f")"
    done
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
