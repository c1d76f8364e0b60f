#!/bin/sh
# kunzip.exe under Wine: real archives come out exactly, refused names are printed as
# "name: text" with exit code 1, an unreadable archive gives exit code 2.
# Usage: kunzip-wine.sh KUNZIP_EXE ARCHIVES_FOLDER OUTPUT_FOLDER
set -u
kunzip=$1 archives=$2 out=$3
here=$(dirname "$0")
run() { "$here/../../../cmake/wine/wine-run.sh" "$kunzip" "$@"; }
. "$here/../../../cmake/wine/windows-path.sh"
fail=0
check() {  # check WHAT EXPECTED ACTUAL
  [ "$2" = "$3" ] || { printf '%s: expected [%s], got [%s]\n' "$1" "$2" "$3"; fail=1; }
}

rm -rf "$out"
mkdir -p "$out"
for archive in deflate deflate64 streamed stored; do
  run "$(windows "$archives/$archive.zip")" "$(windows "$out/$archive")"
  check "$archive exit code" 0 $?
  diff -r "$archives/tree" "$out/$archive" || { echo "$archive: files differ"; fail=1; }
done

printed=$(run "$(windows "$archives/hostile.zip")" "$(windows "$out/hostile")" 2>&1 | tr -d '\r')
check "hostile exit code" 1 "$(run "$(windows "$archives/hostile.zip")" "$(windows "$out/hostile")" 2>/dev/null; echo $?)"
check "hostile messages" "$(printf '..\\escaped.txt: Invalid file name\nCON: Invalid file name')" "$printed"
check "kept file" kept "$(cat "$out/hostile/kept.txt")"
[ ! -e "$out/escaped.txt" ] || { echo "a refused name was written"; fail=1; }

missing=$(windows "$archives/missing.zip")
printed=$(run "$missing" "$(windows "$out/missing")" 2>&1 | tr -d '\r')
check "missing archive message" "$missing: Error mapping file $missing" "$printed"
run "$missing" "$(windows "$out/missing")" 2>/dev/null
check "missing archive exit code" 2 $?

[ $fail -eq 0 ] && echo "kunzip.exe: all checks passed"
exit $fail
