#!/bin/bash
# Every test of the setup: native unit tests, the shipped 32-bit build's checks, then
# the Windows tests under Wine (on a virtual display when there is none).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

declare -a summary
layer() {  # layer NAME COMMAND...: runs one layer and records its time
  local name=$1 start=$SECONDS
  shift
  echo "=== $name"
  "$@"
  summary+=("$(printf '%-28s %4ds' "$name" $((SECONDS - start)))")
}

build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1"; }
wine_ctest() {
  if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset win64-test "$@"
  else
    ctest --preset win64-test "$@"
  fi
}

layer "native build" build native
layer "native unit tests" ctest --preset native
if [ -x tests/fuzz/run-ci.sh ]; then
  layer "fuzzing (short)" tests/fuzz/run-ci.sh
fi
layer "win32 build (Setup.exe)" build win32
layer "win32 checks" ctest --preset win32
layer "win64-test build" build win64-test
layer "Windows tests under Wine" wine_ctest

echo "=== all tests passed"
printf '%s\n' "${summary[@]}"
