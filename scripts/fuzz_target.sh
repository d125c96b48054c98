#!/usr/bin/env bash
# Runs one fuzz target for a bounded time from its seed corpus; passes when
# it ran its time out without a crash or a failed property. On a failure it
# shows the input that found it (base64), to be added to the corpus.
#   fuzz_target.sh PROGRAM SEED_CORPUS   (seconds: TAVRO_FUZZ_SECONDS, 60)
set -uo pipefail
program=$1
seeds=$2
seconds=${TAVRO_FUZZ_SECONDS:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# New inputs go to a scratch corpus; the checked-in seeds stay as they are.
mkdir -p "$work/corpus"
# Each seed whole first: the run below cuts every input to 4096 bytes, and
# some seeds (a document nested 100,000 deep) are larger.
if ! "$program" -rss_limit_mb=2048 "$seeds"/* >"$work/log" 2>&1; then
  echo "$(basename "$program") FAILED on a seed:"
  grep -E 'Running:|property failed|ERROR|SUMMARY' "$work/log" | tail -n 5 | sed 's/^/  /'
  exit 1
fi
if "$program" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/" "$work/corpus" "$seeds" >"$work/log" 2>&1; then
  echo "$(basename "$program"): $(grep -Eo '#[0-9]+' "$work/log" | tail -n1 | tr -d '#') runs in $seconds s, no failure"
  exit 0
fi
echo "$(basename "$program") FAILED:"
grep -E 'property failed|ERROR|SUMMARY' "$work/log" | head -n 5 | sed 's/^/  /'
ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* 2>/dev/null | head -n 3 | while read -r f; do
  echo "  input: $(base64 -w0 "$f")"
done
exit 1
