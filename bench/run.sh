#!/bin/bash
# Builds the optimised benchmarks and runs them: the decoder and CRC-32 against zlib
# and libdeflate, extraction against Info-ZIP unzip and bsdtar, then the setup's own
# Windows code under Wine: the download against curl, and RunAndWait's return.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j2 >/dev/null
build/native-release/bench/inflate/bench_inflate
if [ -x bench/extract/run.sh ]; then
  echo
  bench/extract/run.sh
fi
if [ -x bench/wine/run.sh ]; then
  echo
  bench/wine/run.sh
fi
