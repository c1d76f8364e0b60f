#!/bin/sh
# kunzip.exe, a 32-bit program, extracts an archive past its address space's limits:
# exit code 0 means every member came out with its CRC-32. Sizes are checked too, and
# the output is removed afterwards (it is 2.3 GiB).
# Usage: kunzip-large.sh KUNZIP_EXE ARCHIVE OUTPUT_FOLDER
set -u
kunzip=$1 archive=$2 out=$3
here=$(dirname "$0")
. "$here/../../../cmake/wine/windows-path.sh"
rm -rf "$out"
mkdir -p "$out"
trap 'rm -rf "$out"' EXIT
"$here/../../../cmake/wine/wine-run.sh" "$kunzip" "$(windows "$archive")" "$(windows "$out")"
rc=$?
[ $rc -eq 0 ] || { echo "kunzip.exe exit code $rc"; exit 1; }
fail=0
for expected in "stored.bin 104857600" "huge/huge.bin 2415919104"; do
  set -- $expected
  size=$(stat -c %s "$out/$1" 2>/dev/null || echo missing)
  [ "$size" = "$2" ] || { echo "$1: size $size, expected $2"; fail=1; }
done
[ $fail -eq 0 ] && echo "kunzip.exe: the large archive came out whole"
exit $fail
