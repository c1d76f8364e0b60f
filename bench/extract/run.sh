#!/bin/bash
# Extraction speed on tmpfs, CRC checked by every tool: kunzip against Info-ZIP unzip
# and bsdtar, on an installer-like tree (~300 MB, ~8,800 files) and on one ~200 MB
# member. Prints the median of 5 runs in seconds and kunzip's time as a fraction of
# the others'. The archives stay in /dev/shm/kelvano-extract-bench for later runs;
# "run.sh --clean" removes them.
set -euo pipefail
cd "$(dirname "$0")/../.."
data=/dev/shm/kelvano-extract-bench
if [ "${1:-}" = "--clean" ]; then
  rm -rf "$data"
  exit 0
fi

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target kunzip >/dev/null
kunzip=$PWD/build/native-release/tools/kunzip/kunzip
python3 bench/extract/make_archives.py "$data"
out=$data/out
trap 'rm -rf "$out" "$data/reference"' EXIT

seconds() {  # seconds COMMAND...: one run into a fresh, empty output folder
  rm -rf "$out"
  mkdir -p "$out"
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

median() {  # median COMMAND...: median of 5 runs, in seconds
  local runs=()
  for _ in 1 2 3 4 5; do runs+=("$(seconds "$@")"); done
  printf '%s\n' "${runs[@]}" | sort -n | sed -n 3p | awk '{printf "%.3f", $1 / 1e6}'
}

echo "extraction on tmpfs, median of 5 (seconds); kunzip's time as a fraction of the others'"
printf '%-8s %9s %9s %9s %12s %12s\n' archive kunzip unzip bsdtar kunzip/unzip kunzip/bsdtar
for archive in tree single; do
  zip=$data/$archive.zip
  # Same files as Info-ZIP's, or the figures mean nothing.
  rm -rf "$data/reference" "$out"
  unzip -qo "$zip" -d "$data/reference"
  "$kunzip" "$zip" "$out"
  diff -r "$data/reference" "$out" >/dev/null || { echo "$archive: kunzip's files differ from unzip's" >&2; exit 1; }
  rm -rf "$data/reference"

  k=$(median "$kunzip" "$zip" "$out")
  u=$(median unzip -qo "$zip" -d "$out")
  b=$(median bsdtar -xf "$zip" -C "$out")
  printf '%-8s %9s %9s %9s %12.2f %12.2f\n' "$archive" "$k" "$u" "$b" \
    "$(echo "$k / $u" | bc -l)" "$(echo "$k / $b" | bc -l)"
done
echo "goal: kunzip/unzip at most 0.50 on both archives"
