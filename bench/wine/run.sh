#!/bin/bash
# The setup's Windows code under 32-bit Wine, in a 64-bit Windows prefix of its own:
# a 200 MB download from a local HTTP server against curl on the same file in the same
# run, with and without the SHA-256 check, and the time RunAndWait takes to return after
# its program has ended. Prints medians and the ratios the goals are about.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target download_bench wait_bench >/dev/null
bench=$PWD/build/bench-wine
mkdir -p "$bench/served"
export WINEPREFIX=$bench/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || cmake/wine/wine-prefix.sh create win64 "$WINEPREFIX" >/dev/null
payload=$bench/served/payload.bin
[ -f "$payload" ] || head -c $((200 * 1024 * 1024)) /dev/urandom > "$payload"
sha=$(sha256sum "$payload" | cut -d' ' -f1)

python3 bench/wine/serve.py "$bench/served" "${KELVANO_BENCH_SERVER:-copy}" > "$bench/port" &
server=$!
trap 'kill $server 2>/dev/null || true; /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  port=$(cat "$bench/port")
  [ -n "$port" ] && break
  sleep 0.1
done
url=http://127.0.0.1:$port/payload.bin
target=$bench/downloaded.bin
windows() { printf 'Z:%s' "$1" | tr / '\\'; }
median() { sort -n | sed -n 4p; }  # of 7
# Each into a new file: replacing an older one of 200 MB costs its removal too.
curl_seconds() { rm -f "$target"; curl -s -o "$target" -w '%{time_total}\n' "$url"; }
setup_seconds() {
  rm -f "$target"
  /usr/lib/wine/wine build/win32/bench/wine/download_bench.exe "$url" "$(windows "$target")" "$@" | tr -d '\r'
}

/usr/lib/wine/wine build/win32/bench/wine/download_bench.exe "$url" "$(windows "$target")" >/dev/null  # a warm start
# Interleaved rounds, so that whatever else the machine does weighs on all three alike.
: > "$bench/curl.times"; : > "$bench/setup.times"; : > "$bench/hash.times"
for _ in 1 2 3 4 5 6 7; do
  curl_seconds >> "$bench/curl.times"
  setup_seconds >> "$bench/setup.times"
  setup_seconds "$sha" >> "$bench/hash.times"
done
c=$(median < "$bench/curl.times")
s=$(median < "$bench/setup.times")
h=$(median < "$bench/hash.times")
rm -f "$target"
echo "download of 200 MB from a local HTTP server, median of 7 interleaved runs (seconds)"
printf '%-26s %8s %10s\n' "" seconds "MB/s"
for row in "curl:$c" "setup:$s" "setup with SHA-256:$h"; do
  printf '%-26s %8.3f %10.0f\n' "${row%:*}" "${row##*:}" "$(echo "200 / ${row##*:}" | bc -l)"
done
printf 'throughput, setup / curl: %.2fx (goal at least 0.80x)\n' "$(echo "$c / $s" | bc -l)"
printf 'cost of the SHA-256 check: %.1f%% (goal under 10%%)\n' "$(echo "($h - $s) * 100 / $s" | bc -l)"

echo
read -r wait slowest < <(/usr/lib/wine/wine build/win32/bench/wine/wait_bench.exe | tr -d '\r')
echo "RunAndWait's return after its program ended, 50 runs: median $wait ms, slowest $slowest ms (goal: median under 2 ms)"
