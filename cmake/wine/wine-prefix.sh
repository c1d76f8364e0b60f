#!/bin/sh
# wine-prefix.sh create win64|win32 PREFIX: a fresh Wine prefix for this test run, of a
# 64-bit Windows (where the 32-bit setup runs under WOW64) or of a 32-bit one.
# wine-prefix.sh destroy PREFIX: stops its wineserver.
# CTest runs "create" as a setup fixture and "destroy" as a cleanup fixture, so the
# server is stopped also when tests fail. KELVANO_WINE names the loader (32-bit Wine,
# which starts wine64 for a 64-bit prefix by itself, unless it is set).
set -u
action=$1
shift
case "$action" in
  create) arch=$1 prefix=$2 ;;
  destroy) prefix=$1 ;;
  *) echo "usage: $0 create win64|win32 PREFIX | destroy PREFIX" >&2; exit 2 ;;
esac
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=${KELVANO_WINE:-/usr/lib/wine/wine}
case "$action" in
  create)
    [ -d "$prefix" ] && /usr/lib/wine/wineserver -k 2>/dev/null
    rm -rf "$prefix"
    mkdir -p "$(dirname "$prefix")"
    WINEARCH=$arch timeout -k 10 180 "$wine" wineboot -i >/dev/null 2>&1
    rc=$?
    [ $rc -eq 0 ] || { echo "wineboot -i failed ($rc)" >&2; exit $rc; }
    # What a card room's Windows shows: Calibri's metrics (Carlito), and windows that go
    # at once without a window manager.
    settings="$prefix/kelvano-settings.reg"
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"Calibri"="Carlito"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n' > "$settings"
    timeout 60 "$wine" regedit /S "Z:$settings" >/dev/null 2>&1
    # wineboot returns before the registry is flushed; wait for the server to settle.
    timeout 60 /usr/lib/wine/wineserver -w
    test -f "$prefix/system.reg" || { echo "no registry in $prefix" >&2; exit 1; }
    grep -q "^#arch=$arch" "$prefix/system.reg" || { echo "$prefix is not a $arch prefix" >&2; exit 1; }
    ;;
  destroy)
    /usr/lib/wine/wineserver -k 2>/dev/null
    exit 0
    ;;
esac
