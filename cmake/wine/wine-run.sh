#!/bin/sh
# Runs one Windows program under 64-bit Wine for CTest: the prefix is the test run's own
# (WINEPREFIX, set by CTest), Wine's chatter is off, and a time limit keeps a hung
# program from stalling the run.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set (CTest sets it for Windows tests)" >&2
  exit 2
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINELOADER="${WINELOADER:-/usr/lib/wine/wine64}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec timeout -k 10 "${KELVANO_WINE_TIMEOUT:-300}" "$WINELOADER" "$@"
