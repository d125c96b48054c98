#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need, when
# any is missing, and unpacks the source packages the Windows builds compile
# (zstd's decoder) into /usr/local/src/tavro-third-party. Works as root or
# through sudo. Nothing comes from outside Debian's archive.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libx11-dev libxcb1-dev libxi-dev libxtst-dev libsdl2-dev
  libgtest-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  mingw-w64 wine wine64 wine32:i386 fonts-wine
  xvfb xdotool x11-utils imagemagick strace dpkg-dev desktop-file-utils
  python3 python3-xlib python3-pil python3-dbus dbus-daemon at-spi2-core util-linux
  # The Wayland suite: a headless KWin with KDE's portal, the Qt platform for
  # the launcher's Wayland window, the key injector's protocol and generator,
  # and GLib's loop for the stand-in portal.
  kwin-wayland xdg-desktop-portal xdg-desktop-portal-kde qt6-wayland
  plasma-wayland-protocols libwayland-dev libwayland-bin python3-gi
  # The title view's readers (header-only XML and picture decoders shared by
  # the mingw builds, zstd for the .wua archives on Linux and the tool that
  # makes the tests' and the demo's), and the window manager the pad's
  # return-to-front test needs.
  librapidxml-dev libstb-dev libzstd-dev zarchive-tools openbox
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  # wine32 is an i386 package: the architecture has to be known first.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The source packages the Windows builds compile (mingw has no zstd of
# Debian's), from the archive the sources list already names: its deb-src
# entries are added beside it once, then the newest version the archive
# serves is unpacked into a folder of a fixed name the build looks in.
third_party=/usr/local/src/tavro-third-party
here=$(cd "$(dirname "$0")" && pwd)
deb_src=/etc/apt/sources.list.d/tavro-deb-src.sources
entries=$(python3 "$here/deb_src.py")
if [ -n "$entries" ] && [ "$entries" != "$(cat "$deb_src" 2>/dev/null)" ]; then
  printf '%s\n' "$entries" | $sudo tee "$deb_src" >/dev/null
  $sudo apt-get update -qq
fi

# unpack_source PACKAGE: the package's newest source the archive serves,
# unpacked into $third_party/PACKAGE, its version in PACKAGE/.version. When
# a newer one cannot be fetched the one there stays, and the newer is tried
# again a day later (PACKAGE.unfetched), not at every run.
unpack_source() {
  local package=$1 folder=$third_party/$1 have="" version work
  local unfetched=$third_party/$1.unfetched
  have=$(cat "$folder/.version" 2>/dev/null || true)
  $sudo mkdir -p "$third_party"
  for version in $(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -urV); do
    [ "$version" = "$have" ] && return 0
    if [ -n "$have" ] && grep -qxF "$version" "$unfetched" 2>/dev/null &&
      [ -z "$(find "$unfetched" -mmin +1440)" ]; then
      continue
    fi
    work=$($sudo mktemp -d "$third_party/.fetch.XXXXXX")
    # The log is written by the same user as the folder it lies in.
    if $sudo sh -c 'cd "$1" && apt-get source -qq "$2" >"$1.log" 2>&1' sh "$work" "$package=$version"; then
      $sudo rm -rf "$folder" "$work.log"
      $sudo mv "$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)" "$folder"
      echo "$version" | $sudo tee "$folder/.version" >/dev/null
      $sudo rm -rf "$work"
      echo "Unpacked the source of $package $version into $folder"
      return 0
    fi
    echo "The source of $package $version could not be fetched:"
    grep -E '^(E|Err):' "$work.log" | sed 's/^/  /' || true
    $sudo rm -rf "$work" "$work.log"
    echo "$version" | $sudo tee "$unfetched" >/dev/null
  done
  [ -n "$have" ] && return 0
  echo "No source of $package could be fetched from the archive the sources list names"
  return 1
}
unpack_source libzstd
