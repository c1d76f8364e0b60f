#!/bin/bash
# The demo: builds and runs the shipped Setup.exe through a whole Server installation
# under Wine, unattended from the kit's own settings (MODE=quite), on a virtual display
# when there is none. On a machine that runs no 32-bit code, the 64-bit build of the same
# sources stands in for the shipped 32-bit one, under wine64; the first line says which.
# The kit holds stand-ins for the vendors' installers (which cannot be fetched here), the
# product as a real MSI, and .NET 4.8 as a zip that a local HTTP server hands out slowly
# enough to watch. netsh and the browser are recorders in the demo's own prefix. At the
# end it prints what the machine holds, saves screenshots of both pages, and exits 0 only
# when the installation succeeded.
#   ./scripts/run-demo.sh                the unattended Server installation
#   ./scripts/run-demo.sh --interactive  the window, for a person (needs a display)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if why=$(cmake/wine/runs-32-bit-code.sh); then
  preset=win32 KELVANO_WINE=/usr/lib/wine/wine system_folder=syswow64
  echo "demo: the shipped 32-bit Setup.exe (build/win32)"
else
  preset=win64 KELVANO_WINE=/usr/lib/wine/wine64 system_folder=system32
  echo "demo: the 64-bit Setup.exe (build/win64), as $why"
fi
for build in native $preset; do
  cmake --preset "$build" >/dev/null
  cmake --build --preset "$build"
done

demo=$PWD/build/demo
kit=$demo/kit
standins=build/$preset/tests/standins
rm -rf "$demo"
mkdir -p "$demo/served"
cp -r "$standins/kit" "$kit"
cp build/$preset/ui/Setup.exe "$kit/Setup.exe"
cp build/$preset/ui/resources/setup.ico "$kit/Setup.ico"
mkdir -p "$kit/Misc"
# The page pictures are made here rather than kept in the repository.
convert -size 650x450 gradient:'#10365a'-'#1f7a4d' "$kit/Misc/background.jpg"
convert -size 650x450 gradient:'#1f7a4d'-'#10365a' "$kit/Misc/installation.jpg"
# .NET 4.8 is downloaded: a zip with the installer and a payload to make it take a while.
mv "$kit/Prerequisites/dotnetfx48setup.exe" "$demo/dotnetfx48setup.exe"
python3 - "$demo" <<'PY'
import os, sys, zipfile
demo = sys.argv[1]
with zipfile.ZipFile(os.path.join(demo, "served", "dotnetfx48.zip"), "w", zipfile.ZIP_DEFLATED) as archive:
    archive.write(os.path.join(demo, "dotnetfx48setup.exe"), "dotnetfx48setup.exe")
    archive.writestr(zipfile.ZipInfo("payload.bin"), os.urandom(6 * 1024 * 1024))
PY
python3 demo/slow_server.py "$demo/served" "$demo/port" $((1536 * 1024)) &
server=$!
export WINEPREFIX=$demo/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;netsh.exe,winebrowser.exe=n" KELVANO_WINE
cleanup() { kill $server 2>/dev/null || true; /usr/lib/wine/wineserver -k 2>/dev/null || true; }
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$demo/port" ] && break; sleep 0.1; done
sed "s/@PORT@/$(cat "$demo/port")/" demo/settings.ini > "$kit/settings.ini"

cmake/wine/wine-prefix.sh create win64 "$WINEPREFIX" >/dev/null
# The recorders where the setup starts netsh and the browser: its system folder, which
# for a 32-bit program on 64-bit Windows is syswow64.
for program in netsh winebrowser; do
  cp "$standins/netsh.exe" "$WINEPREFIX/drive_c/windows/$system_folder/$program.exe"
done
log="$demo/standins.log"
export KELVANO_STANDIN_LOG="Z:${log//\//\\}"

if [ -z "${DISPLAY:-}" ]; then
  [ "${1:-}" = --interactive ] && { echo "--interactive needs a display (DISPLAY)"; exit 2; }
  Xvfb :97 -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb=$!
  trap 'cleanup; kill $xvfb 2>/dev/null || true' EXIT
  export DISPLAY=:97
  sleep 1
fi
# An Italian Windows, as in most card rooms: the setup speaks Italian there.
wine="env LANG=it_IT.UTF-8 LC_ALL=it_IT.UTF-8 $KELVANO_WINE"
. cmake/wine/windows-path.sh
shot() {  # shot NAME: the setup's window as it is now
  local window
  window=$(timeout 5 xdotool search --onlyvisible --name '^Kelvano setup$' 2>/dev/null | tail -1)
  [ -n "$window" ] || return 0
  eval "$(timeout 5 xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$demo/$1.png"
  echo "screenshot: build/demo/$1.png"
}

if [ "${1:-}" = --interactive ]; then
  sed -i 's/^MODE=quite/MODE=interactive/' "$kit/settings.ini"
  (cd "$kit" && $wine ./Setup.exe)
  exit 0
fi

# The option page, as a person sees it, before the unattended run.
sed 's/^MODE=quite/MODE=interactive/' "$kit/settings.ini" > "$demo/interactive.ini"
cp "$kit/settings.ini" "$demo/quiet.ini"
cp "$demo/interactive.ini" "$kit/settings.ini"
(cd "$kit" && $wine ./Setup.exe) &
setup=$!
for _ in $(seq 100); do
  timeout 5 xdotool search --onlyvisible --name '^Kelvano setup$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 1
window=$(xdotool search --onlyvisible --name '^Kelvano setup$' | tail -1)
timeout 5 xdotool mousemove --window "$window" 345 128  # Server, highlighted
sleep 0.5
shot option-page
# The window goes between the key's press and its release: X says so, and that is all.
timeout 5 xdotool key --window "$window" Escape 2>/dev/null || true
wait $setup
timeout 60 /usr/lib/wine/wineserver -w

# The unattended Server installation, watched while .NET 4.8 downloads.
cp "$demo/quiet.ini" "$kit/settings.ini"
(for _ in $(seq 300); do [ -f "$demo/port.started" ] && break; sleep 0.1; done; sleep 1.5
 shot progress-page
 sleep 1
 shot progress-page-later
 # The bar under the download line (its place at 96 DPI) has moved on meanwhile.
 bar() { convert "$demo/$1.png" -crop 344x14+235+345 +repage -format "%#" info: 2>/dev/null; }
 if [ -f "$demo/progress-page-later.png" ] && [ "$(bar progress-page)" = "$(bar progress-page-later)" ]; then
   echo "demo: the progress bar did not move during the download" >&2
   touch "$demo/bar-stood-still"
 fi) &
watcher=$!
status=0
$wine "$standins/kelvano_machine_report.exe" "$(windows "$kit/Setup.exe")" "$(windows "$log")" | tr -d '\r' ||
  status=$?
wait $watcher
[ -e "$demo/bar-stood-still" ] && status=1
exit $status
