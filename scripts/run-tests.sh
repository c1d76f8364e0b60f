#!/bin/bash
# Every test of the setup: native unit tests, the shipped 32-bit build's checks, then
# the Windows tests under 32-bit Wine, in a 64-bit and a 32-bit Windows prefix (their
# fixtures start a virtual display when there is none).
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

layer "native build" build native
layer "native unit tests" ctest --preset native
if [ -x tests/fuzz/run-ci.sh ]; then
  layer "fuzzing (short)" tests/fuzz/run-ci.sh
fi
layer "win32 build (ships, tests)" build win32
layer "PE checks of what ships" ctest --preset win32 -L pe --verbose
layer "Windows tests under Wine" ctest --preset win32 -L wine

echo "=== all tests passed"
printf '%s\n' "${summary[@]}"
