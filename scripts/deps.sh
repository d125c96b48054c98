#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need, when
# any is missing. Works as root or through sudo. Nothing comes from outside
# Debian's archive.
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
  # the mingw builds, the .wua archives on Linux and the tool that makes the
  # demo's), and the window manager the pad's return-to-front test needs.
  librapidxml-dev libstb-dev libzarchive-dev zarchive-tools openbox
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
# wine32 is an i386 package: the architecture has to be known first.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
