#!/bin/sh
# create: a fresh Wine prefix for this test run; destroy: stop its wineserver.
# CTest runs "create" as a setup fixture and "destroy" as a cleanup fixture, so the
# server is stopped also when tests fail.
set -u
action=$1
prefix=$2
export WINEPREFIX="$prefix" WINEDEBUG=-all WINELOADER=/usr/lib/wine/wine64
export WINEDLLOVERRIDES="mscoree,mshtml="
case "$action" in
  create)
    [ -d "$prefix" ] && /usr/lib/wine/wineserver -k 2>/dev/null
    rm -rf "$prefix"
    mkdir -p "$(dirname "$prefix")"
    timeout -k 10 180 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    rc=$?
    [ $rc -eq 0 ] || { echo "wineboot -i failed ($rc)" >&2; exit $rc; }
    # wineboot returns before the registry is flushed; wait for the server to settle.
    timeout 60 /usr/lib/wine/wineserver -w
    test -f "$prefix/system.reg" || { echo "no registry in $prefix" >&2; exit 1; }
    ;;
  destroy)
    /usr/lib/wine/wineserver -k 2>/dev/null
    exit 0
    ;;
  *) echo "usage: $0 create|destroy PREFIX" >&2; exit 2 ;;
esac
