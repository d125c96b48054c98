#!/usr/bin/env bash
# Builds the packages and leaves them in build/packages/, whose path it prints
# last:
#   Tavro_FrontEnd-<version>-win32.zip            the 32-bit .exe and its shell watcher
#   tavro-frontend_<version>_<arch>.deb           the Linux program, installed in /usr
#   tavro-frontend-<version>-linux-<cpu>.tar.gz   the same, portable
# Installs what is missing and builds the linux and win32 presets first;
# --no-build packs what those build folders already hold (the test suite).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=true
case "${1:-}" in
  --no-build) build=false ;;
  "") ;;
  *) echo "usage: $0 [--no-build]" >&2; exit 2 ;;
esac

if $build; then
  bash scripts/deps.sh
  bash scripts/build.sh linux win32
fi

out="$root/build/packages"
rm -rf "$out"
mkdir -p "$out"
for preset in linux win32; do
  echo "== package $preset"
  # The build lock: no build may relink a program while CPack copies it.
  flock "/tmp/tavro-build-$preset.lock" sh -c \
    "cd 'build/$preset' && rm -rf packages && cpack >cpack.log 2>&1" ||
    { cat "build/$preset/cpack.log" >&2; exit 1; }
  find "build/$preset/packages" -maxdepth 1 -type f \
    \( -name '*.deb' -o -name '*.tar.gz' -o -name '*.zip' \) -exec cp {} "$out/" \;
done
ls -l "$out" | sed 1d
echo "$out"
