#!/bin/sh
# Runs one Windows program under Wine for CTest: the prefix is the test's own
# (WINEPREFIX, set by CTest: a 64-bit or a 32-bit Windows), the loader is the build's
# (KELVANO_WINE, also set by CTest: 32-bit Wine for the 32-bit build, wine64 for the
# 64-bit one), Wine's chatter is off, and a time limit keeps a hung program from
# stalling the run.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set (CTest sets it for Windows tests)" >&2
  exit 2
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec timeout -k 10 "${KELVANO_WINE_TIMEOUT:-300}" "${KELVANO_WINE:-/usr/lib/wine/wine}" "$@"
