#!/usr/bin/env bash
# Installs what building, running, testing and packaging need on Debian 12. Safe to run again.
# With the argument "art", also what res/art/render.sh needs to redraw the images; with "emulation", the
# user-mode emulator that starts the 32-bit program where 32-bit code cannot run natively.
set -euo pipefail

pkgs=(build-essential cmake ninja-build googletest
      g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
      wine wine64 wine32:i386 xvfb xdotool imagemagick fonts-wqy-microhei locales clang-format
      wixl msitools osslsigncode zip openssl)
case "${1:-}" in
    art) pkgs+=(librsvg2-bin) ;;
    emulation) pkgs+=(qemu-user-static) ;;
esac

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if [ ${#missing[@]} -gt 0 ]; then
    # wine32 is an i386 package: 32-bit programs do not start without it.
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi
