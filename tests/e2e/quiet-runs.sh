# Sourced by the e2e scripts that run Setup.exe as a deployment tool does (quiet,
# /suppressmsgboxes, only its exit code and log to tell what happened). Before sourcing:
# setup (Setup.exe), standins (the stand-in kit), helper (box_helper.exe), work (the
# test's folder). Needs an X display and the test's Wine prefix.
wine_run=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../../cmake/wine/wine-run.sh")
export KELVANO_WINE_TIMEOUT=120
fail=0
failed() { echo "FAILED: $*"; fail=1; }
check() { [ "$2" = "$3" ] || failed "$1: expected [$2], got [$3]"; }
. "$(dirname "${BASH_SOURCE[0]}")/../../cmake/wine/windows-path.sh"
sha256() { sha256sum "$1" | cut -d' ' -f1; }

settings='PRODUCT=Kelvano\r\nPRODUCTCODE={6A1F3C2E-8B4D-4E7A-9C5B-2D3E4F5A6B7C}\r\nSERVER=KELVANO\r\nAPIPORT=8080\r\nNETWORK=LAN1\r\nMODE=quite\r\n'
make_kit() {  # make_kit FOLDER EXTRA_SETTINGS
  rm -rf "$1"
  mkdir -p "$(dirname "$1")"
  cp -r "$standins" "$1"
  cp "$setup" "$1/Setup.exe"
  printf "$settings$2" > "$1/settings.ini"
}
# deploy KIT [ARGUMENTS...]: a deployment tool's run; its whole exit code, read by a
# Windows program (Wine hands a Unix parent only the low 8 bits). Each run's log is its own.
deploy() {
  local kit=$1 try output
  shift
  for try in 1 2; do
    timeout 30 /usr/lib/wine/wineserver -w  # the last run's Wine session has ended
    rm -f "$work/setup.log"
    output=$(KELVANO_STANDIN_LOG="$(windows "$work/standins.log")" "$wine_run" "$helper" exitcode "$(windows "$kit")" \
      "$(windows "$kit/Setup.exe")" /suppressmsgboxes /log "$(windows "$work/setup.log")" "$@" 2>"$work/wine.err" |
      tr -d '\r')
    # Nothing printed and no log: Wine never started the helper, and nothing ran. Say
    # why, and start once more; a run of Setup.exe itself is never repeated.
    [ -n "$output" ] || [ -e "$work/setup.log" ] && break
    echo "Wine did not start the run (try $try):" >&2
    tail -n 5 "$work/wine.err" >&2
  done
  printf '%s' "$output"
}
# The Unix path of %TEMP% as the setup sees it in this prefix.
setup_temp() {
  local windows_temp
  windows_temp=$("$wine_run" cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')
  "$wine_run" winepath -u "$windows_temp" 2>/dev/null | tr -d '\r'
}
. "$(dirname "${BASH_SOURCE[0]}")/setup-registry.sh"
reg() { setup_reg "$@" >/dev/null 2>&1; }
ndp='HKLM\Software\Microsoft\NET Framework Setup\NDP\v4\Full'
# A machine without the product, its SQL Server instance and .NET 4.8.
fresh_machine() {
  reg delete 'HKLM\Software\Kelvano' /f
  "$wine_run" msiexec /qn /x '{6A1F3C2E-8B4D-4E7A-9C5B-2D3E4F5A6B7C}' >/dev/null 2>&1
  "$wine_run" sc stop 'MSSQL$KELVANO' >/dev/null 2>&1
  "$wine_run" sc delete 'MSSQL$KELVANO' >/dev/null 2>&1
  reg delete "$ndp" /v Release /f
}
