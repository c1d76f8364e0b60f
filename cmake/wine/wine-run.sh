#!/bin/sh
# Runs one 32-bit Windows program under Wine for CTest: the prefix is the test's own
# (WINEPREFIX, set by CTest: a 64-bit or a 32-bit Windows), Wine's chatter is off, and a
# time limit keeps a hung program from stalling the run.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set (CTest sets it for Windows tests)" >&2
  exit 2
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec timeout -k 10 "${KELVANO_WINE_TIMEOUT:-300}" /usr/lib/wine/wine "$@"
