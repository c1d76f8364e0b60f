#!/bin/bash
# Whole quiet installations by the shipped Setup.exe in the 32-bit prefix, which Wine
# shows to Setup.exe alone as an older Windows: a Server on Windows XP SP3 (SQL Server
# 2008 under the local system account, the firewall in XP's netsh dialect and no URL
# reservation), then a Client on Windows 2000 SP4. netsh is the recording stand-in.
# Usage: older-windows-e2e.sh SETUP_EXE STANDIN_KIT BOX_HELPER NETSH_STANDIN WORK_FOLDER
set -u
setup=$(realpath "$1") standins=$(realpath "$2") helper=$(realpath "$3") netsh_standin=$(realpath "$4")
work=$(realpath -m "$5")
source "$(dirname "$0")/quiet-runs.sh"
fresh_machine
rm -rf "$work"
mkdir -p "$work"

netsh="$WINEPREFIX/drive_c/windows/system32/netsh.exe"
cp "$netsh" "$work/netsh.original"
restore() {
  cp "$work/netsh.original" "$netsh"
  reg delete 'HKCU\Software\Wine\AppDefaults\Setup.exe' /f
}
trap restore EXIT
cp "$netsh_standin" "$netsh"
export WINEDLLOVERRIDES="netsh.exe=n;mscoree,mshtml="
shown_as() { reg add 'HKCU\Software\Wine\AppDefaults\Setup.exe' /v Version /d "$1" /f; }
# The netsh commands of the last run, without the program's path.
netsh_commands() { grep -i 'netsh.exe"' "$work/standins.log" 2>/dev/null | sed 's/^[^"]*"[^"]*" //; s/|.*//'; }

echo "--- Windows XP SP3: a quiet Server"
shown_as winxp
make_kit "$work/xp" ''
rm -f "$work/standins.log"
check "exit code of the Server on XP" 0 "$(deploy "$work/xp")"
grep -q 'detection: Windows platform 2, version 5.1.2600 "Service Pack 3"' "$work/setup.log" ||
  failed "the setup did not see Windows XP SP3"
grep -q 'SQLEXPR_x86_ITA.EXE".*/SQLSVCACCOUNT="LocalSystem"' "$work/standins.log" ||
  failed "SQL Server 2008 was not installed under the local system account"
check "the product's setup type" "Server" "$(registry 'HKLM\Software\Kelvano' SetupType)"
commands=$(netsh_commands)
echo "$commands" | grep -q '^firewall add allowedprogram program=.*sqlservr.exe" name=KelvanoSQL mode=ENABLE' ||
  failed "no XP firewall rule for SQL Server: [$commands]"
echo "$commands" | grep -q '^firewall add allowedprogram protocol=UDP port=1434 name=SQLServerBrowser' ||
  failed "no XP firewall rule for the SQL Server Browser: [$commands]"
echo "$commands" | grep -q '^firewall add allowedprogram program=.* name=Kelvano mode=ENABLE' ||
  failed "no XP firewall rule for the product: [$commands]"
echo "$commands" | grep -q 'advfirewall\|urlacl' && failed "commands of a later Windows on XP: [$commands]"

echo "--- Windows 2000 SP4: a quiet Client"
shown_as win2k
fresh_machine
reg add 'HKLM\Software\Kelvano' /v SetupType /d Client /f  # what a Client installed earlier recorded
make_kit "$work/w2k" ''
rm -f "$work/standins.log"
check "exit code of the Client on Windows 2000" 0 "$(deploy "$work/w2k")"
grep -q 'detection: Windows platform 2, version 5.0.2195 "Service Pack 4"' "$work/setup.log" ||
  failed "the setup did not see Windows 2000 SP4"
check "the product's setup type" "Client" "$(registry 'HKLM\Software\Kelvano' SetupType)"
grep -q 'REMOVE=Kelvano_Database' "$work/standins.log" || failed "the product was not installed as a Client"
[ -z "$(netsh_commands)" ] || failed "a Client ran netsh: [$(netsh_commands)]"

[ $fail -eq 0 ] && echo "older Windows e2e: all checks passed"
exit $fail
