#!/bin/bash
# Every test of the setup: native unit tests, the shipped 32-bit build's checks, the
# Windows tests of the 64-bit build under wine64 in a 64-bit Windows prefix, and, where
# this machine runs 32-bit code, the Windows tests of the shipped 32-bit build under
# 32-bit Wine in a 64-bit and a 32-bit Windows prefix. The Wine fixtures start a virtual
# display when there is none. What was not run, and why, is said at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

declare -a summary
took() { summary+=("$(printf '%-34s %4ds' "$1" $((SECONDS - $2)))"); }  # took NAME START
layer() {  # layer NAME COMMAND...: runs one layer and records its time
  local name=$1 start=$SECONDS
  shift
  echo "=== $name"
  "$@"
  took "$name" $start
}

build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$@"; }

not_run=""
if why=$(cmake/wine/runs-32-bit-code.sh); then
  thirty_two_bit=yes
else
  thirty_two_bit=no
  not_run="32-bit Windows tests: not run, $why (the 64-bit build's ran instead)"
  echo "$not_run"
fi

layer "native build" build native
layer "native unit tests" ctest --preset native
# The short fuzzing runs one fuzzer at a time for a fixed time, on one core: the Windows
# builds take the other meanwhile. The Wine tests wait for it, as their clocks are tight.
fuzzing=""
if [ -x tests/fuzz/run-ci.sh ]; then
  mkdir -p build
  echo "=== fuzzing (short), beside the Windows builds: build/fuzz-ci.log"
  # A session of its own, so that a failed build ends the fuzzer it is running too.
  setsid tests/fuzz/run-ci.sh > build/fuzz-ci.log 2>&1 &
  fuzzing=$! fuzzing_since=$SECONDS
  trap 'kill -- -$fuzzing 2>/dev/null || true' EXIT
fi
fuzzing_done() {
  local status=0
  wait "$fuzzing" || status=$?
  trap - EXIT
  cat build/fuzz-ci.log
  took "fuzzing (short, beside builds)" $fuzzing_since
  return $status
}
if [ $thirty_two_bit = yes ]; then
  layer "win32 build (ships, tests)" build win32
else
  # Only what ships: its Windows tests could not start here.
  layer "win32 build (ships)" build win32 --target Setup kunzip
fi
layer "PE checks of what ships" ctest --preset win32 -L pe --verbose
layer "win64 build (tests)" build win64
if [ -n "$fuzzing" ]; then
  echo "=== fuzzing (short): its results"
  fuzzing_done
fi
layer "Windows tests under wine64" ctest --preset win64 -L wine
if [ $thirty_two_bit = yes ]; then
  layer "Windows tests under 32-bit Wine" ctest --preset win32 -L wine
fi

echo "=== all tests passed"
printf '%s\n' "${summary[@]}"
[ -z "$not_run" ] || echo "$not_run"
