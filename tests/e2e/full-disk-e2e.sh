#!/bin/bash
# Setup.exe quiet with %TEMP% on a drive too small (a tmpfs, mounted as Wine's T:): a
# download that cannot fit is refused before it writes, one whose length nobody gave
# stops at the first write that fails, the box names the space or the system's words,
# the run ends with 1602, and nothing is left on the drive. Skipped (77) where no tmpfs
# can be mounted. Runs under http_test_server.py.
# Usage: full-disk-e2e.sh SETUP_EXE STANDIN_KIT BOX_HELPER WORK_FOLDER
set -u
setup=$(realpath "$1") standins=$(realpath "$2") helper=$(realpath "$3") work=$(realpath -m "$4")
served=$(printf '%s' "${KELVANO_TEST_HTTP_FILES#Z:}" | tr '\\' /)
source "$(dirname "$0")/quiet-runs.sh"
fresh_machine
rm -rf "$work"
mkdir -p "$work/small"
if ! mount -t tmpfs -o size=16m tmpfs "$work/small" 2>"$work/mount.txt"; then
  echo "SKIPPED: no small drive could be mounted here: $(cat "$work/mount.txt")"
  exit 77
fi
temp=$(setup_reg query 'HKCU\Environment' /v TMP 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
restore() {
  reg add 'HKCU\Environment' /v TEMP /d "$temp" /f
  reg add 'HKCU\Environment' /v TMP /d "$temp" /f
  rm -f "$WINEPREFIX/dosdevices/t:"
  timeout 30 /usr/lib/wine/wineserver -w
  umount "$work/small"
}
trap restore EXIT
ln -sfn "$work/small" "$WINEPREFIX/dosdevices/t:"
reg add 'HKCU\Environment' /v TEMP /d 'T:\' /f
reg add 'HKCU\Environment' /v TMP /d 'T:\' /f
left() { [ -z "$(ls -A "$work/small")" ] || failed "$1 left on the small drive: $(ls -A "$work/small")"; }

echo "--- a download larger than the drive is refused before it writes, naming the space"
head -c 24M /dev/urandom > "$served/big.exe"
make_kit "$work/big" "URL_DOTNET48=http://127.0.0.1:$KELVANO_TEST_HTTP_PORT/file/big.exe|dotnetfx48setup.exe|False\r\n"
rm "$work/big/Prerequisites/dotnetfx48setup.exe"
check "exit code of a download larger than the drive" 1602 "$(deploy "$work/big")"
grep -Eq "^(Not enough disk space in the folder|Spazio su disco insufficiente nella cartella) T:\\\\: " "$work/setup.log" ||
  failed "the box does not name the folder and its space"
grep -q "status 200, 0 bytes, stopped" "$work/setup.log" || failed "the download wrote before it looked at the space"
left "the refused download"

echo "--- a download of no announced length stops at the first write that fails, naming why"
make_kit "$work/chunked" \
  "URL_DOTNET48=http://127.0.0.1:$KELVANO_TEST_HTTP_PORT/chunked/40000000|dotnetfx48setup.exe|False\r\n"
rm "$work/chunked/Prerequisites/dotnetfx48setup.exe"
check "exit code of a download that fills the drive" 1602 "$(deploy "$work/chunked")"
received=$(sed -n 's/.* \([0-9]*\) bytes, not written to disk, error 112.*/\1/p' "$work/setup.log" | head -n 1)
[ -n "$received" ] || failed "the failed write is not named (error 112)"
[ "${received:-0}" -lt 20000000 ] || failed "the download went on reading after the drive was full: $received bytes"
grep -q "(error 112: .*) -> Cancel" "$work/setup.log" || failed "the box does not name the system's error"
left "the failed download"

[ $fail -eq 0 ] && echo "full-disk e2e: all checks passed"
exit $fail
