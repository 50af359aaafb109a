#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need (the
# setup program is made with NSIS, the help document with weasyprint), for
# both Windows lanes: the 64-bit one (wine64) and the 32-bit one (wine32, which
# installs everywhere but runs only on a kernel that executes 32-bit programs).
# Idempotent: does nothing when everything is already present.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 fonts-wine
  xvfb xauth x11-utils socat
  googletest
  clang libclang-rt-14-dev
  imagemagick xdotool openssl python3
  nsis weasyprint python3-markdown poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
