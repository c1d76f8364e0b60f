#!/bin/sh
# Installs the Debian packages that the builds and tests need; does nothing when they
# are all there already. Run as root (or with sudo available). 32-bit Wine (wine32:i386)
# runs the 32-bit programs that ship, so the i386 architecture is enabled first.
set -eu
packages="cmake ninja-build g++ googletest libgtest-dev g++-mingw-w64-i686
binutils-mingw-w64-i686 wine wine64 wine32:i386 xvfb xauth xdotool
imagemagick wixl msitools zlib1g-dev libdeflate-dev clang libclang-rt-14-dev unzip p7zip-full
libarchive-tools python3 bc fonts-crosextra-carlito"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq $missing >/dev/null
