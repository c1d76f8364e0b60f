#!/bin/bash
# Setup.exe as a deployment tool runs it (quiet-runs.sh). Runs under http_test_server.py,
# which serves the files put in KELVANO_TEST_HTTP_FILES.
# Usage: deployment-e2e.sh SETUP_EXE STANDIN_KIT BOX_HELPER PLANTED_DLL WORK_FOLDER
set -u
setup=$(realpath "$1") standins=$(realpath "$2") helper=$(realpath "$3") planted=$(realpath "$4")
work=$(realpath -m "$5")
served=$(printf '%s' "${KELVANO_TEST_HTTP_FILES#Z:}" | tr '\\' /)
server="http://127.0.0.1:$KELVANO_TEST_HTTP_PORT/file"
source "$(dirname "$0")/quiet-runs.sh"
fresh_machine
rm -rf "$work"
mkdir -p "$work"

echo "--- a tampered download is refused and nothing runs"
cp "$standins/Prerequisites/dotnetfx48setup.exe" "$served/net48.exe"
good=$(sha256 "$served/net48.exe")
make_kit "$work/kit" "URL_DOTNET48=$server/net48.exe|net48.exe|False||$good\r\n"
rm "$work/kit/Prerequisites/dotnetfx48setup.exe"
printf 'tampered' >> "$served/net48.exe"
check "exit code of the tampered download" 1602 "$(deploy "$work/kit")"
grep -q "package Microsoft .NET Framework 4.8: download failed" "$work/setup.log" || failed "the refused download is not logged"
grep -qis "net48.exe" "$work/standins.log" && failed "the tampered installer ran"
grep -q "exit code 1602" "$work/setup.log" || failed "the exit code is not logged"

echo "--- /layout fills a folder that an offline run installs from"
cp "$standins/Prerequisites/dotnetfx48setup.exe" "$served/net48.exe"
check "exit code of /layout" 0 "$(deploy "$work/kit" /layout "$(windows "$work/offline")")"
check "the installer laid out" "$good" "$(sha256 "$work/offline/Prerequisites/dotnetfx48setup.exe")"
rm -f "$served/net48.exe"  # no network any more
rm -f "$work/standins.log"
check "exit code of the offline Server" 0 "$(deploy "$work/offline")"
grep -q 'offline.Prerequisites.dotnetfx48setup.exe' "$work/standins.log" || failed "the offline kit's installer did not run"
grep -q "downloading" "$work/setup.log" && failed "the offline run downloaded"

echo "--- DLLs planted beside Setup.exe never load, in a whole installation that downloads"
# Under the names of WinINet and of what WinINet loads, preferred to Wine's own (native
# first). Not version, imm32 and zlib1: Wine's own user32 and advapi32, unlike Windows',
# import them into every program before its entry.
planted_names="wininet mpr ws2_32 secur32 crypt32 iertutil winhttp"
reg delete 'HKLM\Software\Kelvano' /f
reg delete "$ndp" /v Release /f
make_kit "$work/planted" "URL_DOTNET48=$server/net48.exe|dotnetfx48setup.exe|False||$good\r\n"
rm "$work/planted/Prerequisites/dotnetfx48setup.exe"
cp "$standins/Prerequisites/dotnetfx48setup.exe" "$served/net48.exe"
for name in $planted_names; do cp "$planted" "$work/planted/$name.dll"; done
check "exit code of the Server beside planted DLLs" 0 \
  "$(WINEDLLOVERRIDES="$(echo $planted_names | tr ' ' ,)=n,b;mscoree,mshtml=" deploy "$work/planted")"
grep -q "downloading" "$work/setup.log" || failed "the run beside planted DLLs downloaded nothing"
for mark in "$work/planted"/*.loaded; do
  [ -e "$mark" ] && failed "a planted DLL was loaded: $(basename "$mark" .loaded)"
done

echo "--- a quiet Server over a link that breaks twice resumes the download and completes"
reg delete 'HKLM\Software\Kelvano' /f
reg delete "$ndp" /v Release /f
cp "$standins/Prerequisites/dotnetfx48setup.exe" "$served/net48.exe"
flaky="http://127.0.0.1:$KELVANO_TEST_HTTP_PORT/breaks-file/2/net48.exe"
make_kit "$work/flaky" "URL_DOTNET48=$flaky|dotnetfx48setup.exe|False||$good\r\n"
rm "$work/flaky/Prerequisites/dotnetfx48setup.exe"
check "exit code of the Server over a flaky link" 0 "$(deploy "$work/flaky")"
grep -q "download try 3: $flaky from byte [1-9][0-9]*: status 206, .* complete" "$work/setup.log" ||
  failed "the third try did not resume the download"

echo "--- a run killed in the middle of a download leaves its bytes, and the next run takes them over"
reg delete 'HKLM\Software\Kelvano' /f
reg delete "$ndp" /v Release /f
cp "$standins/Prerequisites/dotnetfx48setup.exe" "$served/net48-stalls.exe"
make_kit "$work/killed" \
  "URL_DOTNET48=http://127.0.0.1:$KELVANO_TEST_HTTP_PORT/stalls-file/net48-stalls.exe|dotnetfx48setup.exe|False||$good\r\n"
rm "$work/killed/Prerequisites/dotnetfx48setup.exe"
partial="$(setup_temp)/dotnetfx48setup.exe.partial"
deploy "$work/killed" >/dev/null &
for _ in $(seq 150); do  # until the note counts some bytes
  [ "$(sed -n 4p "$partial.info" 2>/dev/null)" -gt 0 ] 2>/dev/null && break
  sleep 0.2
done
/usr/lib/wine/wineserver -k  # as a technician closing the console
wait
[ -s "$partial" ] && [ -s "$partial.info" ] || failed "the killed run left no partial download with its note"
check "exit code of the run after the killed one" 0 "$(deploy "$work/killed")"
grep -q "takes over an earlier run's partial download: [1-9][0-9]* bytes" "$work/setup.log" ||
  failed "the bytes of the killed run were not taken over"
grep -q "stalls-file/net48-stalls.exe from byte [1-9][0-9]*: status 206, .* complete" "$work/setup.log" ||
  failed "the download was not resumed"  # and the SHA-256 of the file was checked whole
[ -e "$partial" ] || [ -e "$partial.info" ] && failed "the partial download was left in %TEMP%"

echo "--- a failed product is 1603"
make_kit "$work/failing" ''
rm "$work/failing/Setup/Kelvano.msi"  # the product's setup fails
check "exit code of a failed product" 1603 "$(deploy "$work/failing")"

echo "--- a SQL Server that needs a restart is 3010, and the RunOnce entry is there"
reg delete 'HKLM\Software\Kelvano' /f  # so that the quiet run is a Server again
make_kit "$work/restart" ''
sed -i 's/^SERVER=KELVANO/SERVER=RESTART/' "$work/restart/settings.ini"  # an instance not there yet
export KELVANO_STANDIN_SQL=broken
check "exit code of a restart" 3010 "$(deploy "$work/restart")"
unset KELVANO_STANDIN_SQL
setup_reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v 'Kelvano Setup' >/dev/null 2>&1 ||
  failed "no RunOnce entry"
reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce' /v 'Kelvano Setup' /f
"$wine_run" sc delete 'MSSQL$RESTART' >/dev/null 2>&1

echo "--- a .NET 4.8 that needs a restart is 3010, and its RunOnce entry, run after it, completes the Server"
reg delete 'HKLM\Software\Kelvano' /f
reg delete "$ndp" /v Release /f
make_kit "$work/net48" ''
export KELVANO_STANDIN_NET48_EXIT=3010
check "exit code of a .NET 4.8 that needs a restart" 3010 "$(deploy "$work/net48" /nosql)"
unset KELVANO_STANDIN_NET48_EXIT
runonce='HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce'
resume=$(setup_reg query "$runonce" /v 'Kelvano Setup' 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
case "$resume" in
  *'Setup.EXE" /resume /q /suppressmsgboxes /nosql /log "'*'setup.log" /S /v"/qn'*) ;;
  *) failed "the RunOnce entry does not hold the run's switches: [$resume]" ;;
esac
reg delete "$runonce" /v 'Kelvano Setup' /f  # as Windows does before it runs the entry
timeout 30 /usr/lib/wine/wineserver -w
check "exit code of the resumed Server" 0 \
  "$("$wine_run" "$helper" exitcode "$(windows "$work/net48")" "$resume" 2>/dev/null | tr -d '\r')"
grep -q "resumes the installation that a restart interrupted" "$work/setup.log" ||
  failed "the resumed run did not say so in the same log"
grep -q "package Kelvano: succeeded" "$work/setup.log" || failed "the resumed run did not install the product"
[ -z "$(timeout 5 xdotool search --onlyvisible --name '^Kelvano setup$' 2>/dev/null)" ] || failed "a window was left"

[ $fail -eq 0 ] && echo "deployment e2e: all checks passed"
exit $fail
