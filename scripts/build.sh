#!/usr/bin/env bash
# Configures and builds the given presets (default: linux, win32, win64).
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(linux win32 win64)
for preset in "${presets[@]}"; do
  echo "== build $preset"
  # The demo, the tests and the benchmarks may build the same folder at once:
  # one build at a time per folder, the same lock bench.sh takes.
  flock "/tmp/tavro-build-$preset.lock" sh -c \
    "cmake --preset '$preset' >/dev/null &&
     { cmake --build --preset '$preset' -- -j2 >/dev/null ||
       cmake --build --preset '$preset' -- -j1; }"  # again, in order, so the error is readable
done
