#!/bin/bash
# Builds everything and runs the shipped Setup.exe from the demo kit under Wine, in a
# 64-bit Windows prefix of its own. The kit is demo/ with its settings.ini. A virtual
# display is used when none is set.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for preset in native win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

kit=build/demo-kit
rm -rf "$kit"
cp -r demo "$kit"
cp build/win32/ui/Setup.exe "$kit/Setup.exe"
mkdir -p "$kit/Misc"
# The page pictures are made here rather than kept in the repository.
convert -size 650x450 gradient:'#10365a'-'#1f7a4d' "$kit/Misc/background.jpg"
convert -size 650x450 gradient:'#1f7a4d'-'#10365a' "$kit/Misc/installation.jpg"

export WINEPREFIX="$PWD/build/demo-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || WINEARCH=win64 /usr/lib/wine/wine wineboot -i >/dev/null 2>&1
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1024x768x24")
status=0
(cd "$kit" && "${display[@]}" /usr/lib/wine/wine ./Setup.exe "$@") || status=$?
echo "Setup.exe ended with exit code $status"
exit $status
