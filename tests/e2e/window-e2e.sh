#!/bin/bash
# The shipped Setup.exe driven as a person would: pages looked at by a few pixels'
# colours, hover, clicks, Esc, the system close command, message boxes read and answered
# (box_helper.exe, in the same prefix), a Server installed from the stand-in kit, and a
# quiet run. Needs an X display (Xvfb) and the test's Wine prefix.
# Usage: window-e2e.sh SETUP_EXE STANDIN_KIT BOX_HELPER WORK_FOLDER
set -u
setup=$(realpath "$1") standins=$(realpath "$2") helper=$(realpath "$3") work=$(realpath -m "$4")
wine_run=$(realpath "$(dirname "$0")/../../cmake/wine/wine-run.sh")
. "$(dirname "$0")/../../cmake/wine/windows-path.sh"
. "$(dirname "$0")/setup-registry.sh"
export KELVANO_WINE_TIMEOUT=120
fail=0
failures=0
failed() {  # keeps the screen of the failure beside the test's files
  failures=$((failures + 1))
  echo "FAILED: $*"
  import -window root "$work/failure-$failures.png" 2>/dev/null
  fail=1
}
check() {  # check WHAT EXPECTED ACTUAL
  [ "$2" = "$3" ] || failed "$1: expected [$2], got [$3]"
}

settings_base='PRODUCT=Kelvano\r\nPRODUCTCODE={6A1F3C2E-8B4D-4E7A-9C5B-2D3E4F5A6B7C}\r\nSERVER=KELVANO\r\nAPIPORT=8080\r\nNETWORK=LAN1\r\n'
# make_kit EXTRA_SETTINGS [bare]: a kit of the stand-ins, pictures and icon (bare: none).
make_kit() {
  rm -rf "$work/kit"
  mkdir -p "$work"
  cp -r "$standins" "$work/kit"
  cp "$setup" "$work/kit/Setup.exe"
  printf "$settings_base$1" > "$work/kit/settings.ini"
  if [ "${2:-}" != bare ]; then
    mkdir -p "$work/kit/Misc"
    convert -size 650x450 gradient:'#10365a'-'#1f7a4d' "$work/kit/Misc/background.jpg"
    convert -size 650x450 gradient:'#1f7a4d'-'#10365a' "$work/kit/Misc/installation.jpg"
  fi
}

box() { "$wine_run" "$helper" "$@" | tr -d '\r'; }
# The setup's X window now: Wine may make it anew while the window starts.
window() { timeout 5 xdotool search --onlyvisible --name '^Kelvano setup$' 2>/dev/null | tail -1; }
start_setup() {  # start_setup [ENV=VALUE...]: Setup.exe in the background, until its window shows
  # The last run's Wine session must have ended: its end would reach the new window as
  # the end of the Windows session.
  timeout 30 /usr/lib/wine/wineserver -w
  (cd "$work/kit" && env "$@" "$wine_run" ./Setup.exe > "$work/setup.log" 2>&1; echo $? > "$work/setup.exit") &
  local found=""
  for _ in $(seq 100); do
    found=$(window)
    [ -n "$found" ] && break
    sleep 0.2
  done
  [ -n "$found" ] || { failed "the window did not show"; return 1; }
  sleep 1
  eval "$(timeout 5 xdotool getwindowgeometry --shell "$(window)" 2>/dev/null)"  # X, Y, WIDTH, HEIGHT
  check "client area" "${client_area:-650x450}" "${WIDTH:-}x${HEIGHT:-}"
}
wait_end() {  # wait_end SECONDS: until Setup.exe has ended; its exit code
  for _ in $(seq $(($1 * 5))); do
    [ -f "$work/setup.exit" ] && { cat "$work/setup.exit"; rm -f "$work/setup.exit"; return; }
    sleep 0.2
  done
  echo running
}
# Pointer and keys as a person uses them; X errors about a window that has just gone
# (Esc closes it between the key's press and release) are no failures.
move() { timeout 5 xdotool mousemove --window "$(window)" "$1" "$2" 2>/dev/null; sleep 0.3; }
click() { move "$1" "$2"; timeout 5 xdotool click 1 2>/dev/null; }
key() { timeout 5 xdotool key --window "$(window)" "$1" 2>/dev/null; }
# pixels LEFT TOP WIDTH HEIGHT white|black: how many pixels of the window's rectangle are
# of that colour now.
pixels() {
  local shot="$work/shot.png" condition
  import -window root "$shot"
  # White text is pure white; a page without its picture is light grey.
  [ "$5" = white ] && condition="r>0.985&&g>0.985&&b>0.985" || condition="r<0.07&&g<0.07&&b<0.07"
  convert "$shot" -crop "${3}x${4}+$((${X:-0} + $1))+$((${Y:-0} + $2))" +repage -fx "($condition)?1:0" \
          -format "%[fx:round(mean*w*h)]" info:
}

# signature LEFT TOP WIDTH HEIGHT: what the window's rectangle shows now, as a hash.
signature() {
  import -window root "$work/shot.png"
  convert "$work/shot.png" -crop "${3}x${4}+$((${X:-0} + $1))+$((${Y:-0} + $2))" +repage -format "%#" info:
}

# Pixel rectangles of the option page (twips / 15).
server_label="338 119 52 23"
support_label="105 381 112 23"
web_label="386 382 37 23"

# A machine without the product, whatever ran in the prefix before.
"$wine_run" msiexec /qn /x '{6A1F3C2E-8B4D-4E7A-9C5B-2D3E4F5A6B7C}' >/dev/null 2>&1
setup_reg delete 'HKLM\Software\Kelvano' /f >/dev/null 2>&1

echo "--- the option page, its items as screen readers find them, and Esc when idle"
make_kit 'ENABLESUPPORT=1\r\nENABLEWEBSITE=1\r\n'
start_setup
move 20 440  # the background
[ "$(pixels $server_label white)" -gt 40 ] || failed "the Server label is not white text"
[ "$(pixels $support_label white)" -gt 40 ] || failed "Quick Support is not shown"
[ "$(pixels $web_label white)" -gt 20 ] || failed "Web is not shown"
children=$(box children 'Kelvano setup')
for named in "Button|Server. Use this option to install Kelvano Server" "Button|Client. Use this option" \
             "Button|Quick Support. Start remote support request." "Button|Web. Visit our web site." "Button|X"; do
  printf '%s\n' "$children" | grep -qiF "$named" || failed "screen readers do not find \"$named\": $children"
done
echo "--- hover: black under the mouse, white again on the background"
move 350 128
[ "$(pixels $server_label black)" -gt 40 ] || failed "the hovered Server label is not black"
move 20 440
check "black pixels after leaving" 0 "$(pixels $server_label black)"
key Escape
check "exit code after Esc" 0 "$(wait_end 20)"

echo "--- without pictures, icon, Quick Support and Web the page still shows"
make_kit '' bare
rm -f "$work/kit/Setup.ico"
start_setup
move 20 440
[ "$(pixels $server_label white)" -gt 40 ] || failed "the bare page shows no Server label"
check "Quick Support hidden" 0 "$(pixels $support_label white)"
check "Web hidden" 0 "$(pixels $web_label white)"
click 105 388  # where Quick Support would be: nothing happens
box none 2 || failed "a click on the hidden Quick Support did something"
click 634 14  # the X
check "exit code after X" 0 "$(wait_end 20)"

echo "--- from the keyboard, Tab to Client and Enter start the Client run"
echo "--- during a package: Esc, the system close command and the session's end are refused; Quick Support gets 117"
make_kit 'ENABLESUPPORT=1\r\n'
rm -f "$work/standins.log"
start_setup KELVANO_STANDIN_SLEEP=12000 KELVANO_STANDIN_LOG="$(windows "$work/standins.log")"
move 20 440  # the pointer away from every label
above_client=$(signature 336 223 70 3)
key Tab  # Server
key Tab  # Client
sleep 0.3
[ "$(signature 336 223 70 3)" != "$above_client" ] || failed "no focus rectangle around the Client label"
key Return
# Until the first installer runs (a loaded machine may take a while to get there).
for _ in $(seq 100); do [ -s "$work/standins.log" ] && break; sleep 0.2; done
[ -s "$work/standins.log" ] || failed "no installer started after Tab, Tab and Enter"
sleep 1
bar=$(signature 236 346 342 12)  # the progress bar under the download line
sleep 1
[ "$(signature 236 346 342 12)" != "$bar" ] || failed "the progress bar stands still while an installer runs"
key Escape
check "Esc during a package" "Can't close installer because an installation are currently running." "$(box answer 10 OK)"
box close 'Kelvano setup' || failed "the window was gone after Esc"
check "close command during a package" "Can't close installer because an installation are currently running." "$(box answer 10 OK)"
click 160 388  # Quick Support on the progress page
check "Quick Support during a package" "Could not execute this operation because another operation is currently executing." "$(box answer 10 OK)"
("$wine_run" wineboot -e; echo $? > "$work/wineboot.exit") &  # the end of the Windows session
check "session's end during a package" "Can't close installer because an installation are currently running." "$(box answer 10 OK)"
wait $!
check "the session's end refused" 1 "$(cat "$work/wineboot.exit")"
box exists 'Kelvano setup' || failed "the window closed during the package"
box answer 60 OK >/dev/null  # 101 once the Client is installed
key Escape
check "exit code after the Client run" 0 "$(wait_end 30)"
check "setup type after the Client run" Client "$(registry 'HKLM\Software\Kelvano' SetupType)"

echo "--- a click on Server installs a Server and ends with message 101"
make_kit ''
start_setup
click 345 128
check "question after Client" "$(printf 'Il tipo di setup richiesto non è compatibile con l'"'"'ultima tipologia installata.\nSi vuole proseguire comunque con l'"'"'installazione?')" "$(box answer 30 Yes)"
check "message at the end" "Installation has been completed successfully." "$(box answer 60 OK)"
check "setup type" Server "$(registry 'HKLM\Software\Kelvano' SetupType)"
check "network" LAN1 "$(registry 'HKLM\Software\Kelvano' Network)"
click 634 14  # the X
check "exit code after the Server run" 0 "$(wait_end 30)"

echo "--- a failure that escapes a run is shown, and the window stays usable"
ndp='HKLM\Software\Microsoft\NET Framework Setup\NDP\v3.5'
setup_reg add "$ndp" /v SP /t REG_MULTI_SZ /d broken /f >/dev/null 2>&1  # a type the setup does not read
make_kit ''
start_setup
click 345 128
check "escaped failure" "Tipo non supportato." "$(box answer 30 OK)"
box exists 'Kelvano setup' || failed "the window closed after the failure"
click 634 14
# 1603, the failed run's; Wine hands a Unix parent its low 8 bits.
check "exit code after the failure" $((1603 % 256)) "$(wait_end 30)"
setup_reg add "$ndp" /v SP /t REG_DWORD /d 1 /f >/dev/null 2>&1

echo "--- quiet mode runs the stored setup type and unloads"
make_kit 'MODE=quite\r\n'
start_setup
check "quiet run" 0 "$(wait_end 60)"
box none 1 || failed "the quiet run left a message box"

echo "--- at 150 % (144 DPI) the window is 975 x 675, with text of that scale"
setup_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
make_kit 'ENABLESUPPORT=1\r\nENABLEWEBSITE=1\r\n'
client_area=975x675 start_setup
move 30 660  # the background
# The Server label at 96 DPI is 52 x 23 pixels with some 40 white; here 1.5 times both ways.
[ "$(pixels 507 178 78 34 white)" -gt 90 ] || failed "the Server label is not of the scaled size"
import -window root -crop "${WIDTH:-0}x${HEIGHT:-0}+${X:-0}+${Y:-0}" +repage "$work/option-page-144dpi.png"
key Escape
check "exit code after Esc at 144 DPI" 0 "$(wait_end 20)"
setup_reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1

[ $fail -eq 0 ] && echo "window e2e: all checks passed"
exit $fail
