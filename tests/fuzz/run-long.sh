#!/bin/bash
# A long fuzzing run: tests/fuzz/run-long.sh [SECONDS] [FUZZER...] (default one hour
# for each fuzzer of this folder), one process at a time; the corpus grows across runs
# in build/fuzz/corpus-long/NAME. Prints the executions and time reached for each.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-3600}
shift || true
build=build/fuzz
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for source in tests/fuzz/*_fuzzer.cpp; do names+=("$(basename "$source" .cpp)"); done
fi
cmake --preset fuzz >/dev/null
for name in "${names[@]}"; do
  cmake --build --preset fuzz --target "$name" >/dev/null
  corpus=$build/corpus-long/$name
  if [ ! -d "$corpus" ]; then
    mkdir -p "$corpus"
    if [ -x "tests/fuzz/${name}_seeds.py" ]; then "tests/fuzz/${name}_seeds.py" "$corpus"; fi
  fi
  log=$build/corpus-long/$name.log
  start=$SECONDS
  "$build/tests/fuzz/$name" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$build/corpus-long/${name}-" "$corpus" >"$log" 2>&1 || {
    tail -n 40 "$log"
    echo "$name: FAILED after $((SECONDS - start))s (log: $log)"
    exit 1
  }
  runs=$(grep "stat::number_of_executed_units" "$log" | awk '{print $2}')
  echo "$name: ${runs:-?} executions in $((SECONDS - start))s, corpus $(find "$corpus" -type f | wc -l) inputs"
done
