#!/bin/sh
# setup-starts.sh SETUP_EXE WINE_RUN KIT: Setup.exe starts from a kit whose settings.ini
# was saved with a byte-order mark and whose pictures are broken, shows its window, and
# in quiet mode with a setup type it does not know runs nothing and ends normally.
set -eu
setup=$1 wine_run=$2 kit=$3
rm -rf "$kit"
mkdir -p "$kit/Misc"
cp "$setup" "$kit/Setup.exe"
printf '\357\273\277PRODUCT=KelvanoStart\r\nAPIPORT=8080\r\nMODE=quite\r\n' > "$kit/settings.ini"
echo "not a picture" > "$kit/Misc/background.jpg"
. "$(dirname "$0")/setup-registry.sh"
setup_reg add 'HKLM\Software\KelvanoStart' /v SetupType /d Other /f >/dev/null ||
  { echo "setup-starts: reg add failed with $?" >&2; exit 1; }
cd "$kit"
status=0
"$wine_run" ./Setup.exe /v 2.0 /nosql || status=$?
if [ "$status" -ne 0 ]; then
  echo "setup-starts: Setup.exe ended with $status" >&2
  exit 1
fi
