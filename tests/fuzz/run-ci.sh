#!/bin/bash
# A short fuzzing run for CI: builds the fuzz preset, then runs every fuzzer of this
# folder for FUZZ_SECONDS seconds (30 by default) on its seed corpus, generated into
# the build folder by NAME_seeds.py when that exists. Any crash fails the run.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${FUZZ_SECONDS:-30}
build=build/fuzz
cmake --preset fuzz >/dev/null
for source in tests/fuzz/*_fuzzer.cpp; do
  name=$(basename "$source" .cpp)
  cmake --build --preset fuzz --target "$name" >/dev/null
  corpus=$build/corpus/$name
  rm -rf "$corpus"
  mkdir -p "$corpus"
  if [ -x "tests/fuzz/${name}_seeds.py" ]; then
    "tests/fuzz/${name}_seeds.py" "$corpus"
  fi
  echo "--- $name: ${seconds}s on $(find "$corpus" -type f | wc -l) seeds"
  log=$build/corpus/$name.log
  if ! "$build/tests/fuzz/$name" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$build/corpus/${name}-" "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$name: FAILED (log and crashing input in $build/corpus)"
    exit 1
  fi
  grep -E "^Done|number_of_executed_units|new_units_added" "$log"
done
