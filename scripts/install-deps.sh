#!/bin/sh
# Installs the Debian packages that the builds and tests need; does nothing when they
# are all there already. Run as root (or with sudo available). 32-bit Wine (wine32:i386)
# runs the 32-bit programs that ship, so the i386 architecture is enabled first; it
# installs also on machines that cannot run it, where the 64-bit build (x86-64 mingw-w64)
# runs the Windows tests under wine64 instead.
#
# A mirror in the middle of a sync can leave one index (often a suite's i386 list) out of
# date: `apt-get update` then fails for that index alone, and the install may not resolve
# because an amd64 library's candidate comes from a suite whose i386 twin is missing. So a
# failed update is only a warning, and a failed install is tried once more with the
# release's own suite as the target, where both architectures' candidates come from.
set -eu
packages="cmake ninja-build g++ googletest libgtest-dev g++-mingw-w64-i686
binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 wine32:i386 xvfb xauth xdotool
imagemagick wixl msitools zlib1g-dev libdeflate-dev clang libclang-rt-14-dev unzip p7zip-full
libarchive-tools python3 bc fonts-crosextra-carlito osslsigncode openssl"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# The first error apt printed (it names the cause; later ones sum up), for a one-line report.
apt_said() {
  said=$(grep -E '^(E|W): ' "$out" | head -n 1)
  [ -n "$said" ] || said=$(tail -n 1 "$out")
  echo "$said"
}

dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
if ! $sudo apt-get update -qq >"$out" 2>&1; then
  echo "install-deps: warning: apt-get update failed, going on with the package lists there are: $(apt_said)" >&2
fi
# shellcheck disable=SC2086
if $sudo apt-get install -y -qq $missing >"$out" 2>&1; then
  exit 0
fi
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
if [ -z "$codename" ]; then
  echo "install-deps: apt-get install failed, and /etc/os-release names no codename to retry with: $(apt_said)" >&2
  exit 1
fi
echo "install-deps: apt-get install failed ($(apt_said)); trying again with the target release $codename" >&2
# shellcheck disable=SC2086
if $sudo apt-get install -y -qq -t "$codename" $missing >"$out" 2>&1; then
  exit 0
fi
echo "install-deps: apt-get install -t $codename failed: $(apt_said)" >&2
exit 1
