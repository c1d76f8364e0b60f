#!/bin/bash
# The setup's Windows code under Wine, in a 64-bit Windows prefix of its own: the shipped
# 32-bit build under 32-bit Wine, or the 64-bit build under wine64 on a machine that runs
# no 32-bit code (it says which):
# a 200 MB download from a local HTTP server against curl on the same file in the same
# run, with and without the SHA-256 check, the processor time each takes, one whose
# connection breaks twice and is resumed, the same at a gigabit network's pace, and the
# time RunAndWait takes to return after its program has ended. Prints medians and the
# ratios the goals are about.
set -euo pipefail
cd "$(dirname "$0")/../.."
if why=$(cmake/wine/runs-32-bit-code.sh); then
  preset=win32 KELVANO_WINE=/usr/lib/wine/wine
else
  preset=win64 KELVANO_WINE=/usr/lib/wine/wine64
  echo "the 64-bit build under wine64: $why"
fi
cmake --preset $preset >/dev/null
cmake --build --preset $preset --target download_bench wait_bench >/dev/null
programs=build/$preset/bench/wine
bench=$PWD/build/bench-wine
mkdir -p "$bench/served"
export WINEPREFIX=$bench/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" KELVANO_WINE
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
. cmake/wine/windows-path.sh
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
server_ticks() { awk '{ print $14 + $15 }' "/proc/$server/stat"; }
# Each line: wall seconds, the downloader's processor seconds, the bytes of body it
# received, the server's processor seconds.
# Each into a new file: replacing an older one of 200 MB costs its removal too.
curl_run() {
  rm -f "$target"
  local before; before=$(server_ticks)
  local wall; wall=$(curl -s -o "$target" -w '%{time_total} 0 %{size_download}' "$1")
  echo "$wall $(( $(server_ticks) - before ))" | awk '{ print $1, $2, $3, $4 / 100 }'
}
setup_run() {
  local address=$1; shift
  rm -f "$target"
  local before; before=$(server_ticks)
  printf '%s ' "$("$KELVANO_WINE" $programs/download_bench.exe "$address" "$(windows "$target")" "$@" | tr -d '\r')"
  echo "$(( $(server_ticks) - before ))" | awk '{ print $1 / 100 }'
}
column() { awk -v c="$1" '{ print $c }' "$2" | median; }

"$KELVANO_WINE" $programs/download_bench.exe "$url" "$(windows "$target")" >/dev/null  # a warm start
# Interleaved rounds, so that whatever else the machine does weighs on all three alike.
: > "$bench/curl.times"; : > "$bench/setup.times"; : > "$bench/hash.times"; : > "$bench/resume.times"
for round in 1 2 3 4 5 6 7; do
  curl_run "$url" >> "$bench/curl.times"
  setup_run "$url" >> "$bench/setup.times"
  setup_run "$url" "$sha" >> "$bench/hash.times"
  # The connection closes twice; each new round is a new path, which breaks afresh.
  setup_run "http://127.0.0.1:$port/breaking/$round/payload.bin" resume >> "$bench/resume.times"
done
# At a gigabit network's pace the processors have time to spare for the check.
: > "$bench/paced.times"; : > "$bench/paced-hash.times"
for _ in 1 2 3; do
  setup_run "http://127.0.0.1:$port/paced/payload.bin" >> "$bench/paced.times"
  setup_run "http://127.0.0.1:$port/paced/payload.bin" "$sha" >> "$bench/paced-hash.times"
done
rm -f "$target"

c=$(column 1 "$bench/curl.times")
s=$(column 1 "$bench/setup.times")
h=$(column 1 "$bench/hash.times")
echo "download of 200 MB from a local HTTP server, median of 7 interleaved runs"
printf '%-26s %8s %8s %14s %13s\n' "" seconds "MB/s" "its processor" "the server's"
for row in "curl:curl" "setup:setup" "setup with SHA-256:hash"; do
  file=$bench/${row##*:}.times
  wall=$(column 1 "$file")
  own=$(column 2 "$file")
  printf '%-26s %8.3f %8.0f %14s %13.2f\n' "${row%:*}" "$wall" "$(echo "200 / $wall" | bc -l)" \
    "$([ "${row##*:}" = curl ] && echo - || printf '%.2f' "$own")" "$(column 4 "$file")"
done
printf 'throughput, setup / curl: %.2fx (goal at least 0.80x)\n' "$(echo "$c / $s" | bc -l)"
printf 'cost of the SHA-256 check: %.1f%% (goal under 10%%)\n' "$(echo "($h - $s) * 100 / $s" | bc -l)"
# With every processor busy moving the bytes, the check's own processor time cannot hide.
printf '  the check adds %.2f s of processor time to an unchecked download of %.3f s\n' \
  "$(echo "$(column 2 "$bench/hash.times") - $(column 2 "$bench/setup.times")" | bc -l)" "$s"
r=$(column 1 "$bench/resume.times")
size=$(stat -c %s "$payload")
printf 'a connection that breaks twice, resumed: %.3f s, %.2fx the unbroken download (goal at most 1.20x)\n' \
  "$r" "$(echo "$r / $s" | bc -l)"
printf '  bytes received: %.3fx the file (goal at most 1.05x), tried again at once (the setup waits 2 and 4 s)\n' \
  "$(echo "$(column 3 "$bench/resume.times") / $size" | bc -l)"
ps=$(column 1 "$bench/paced.times")
ph=$(column 1 "$bench/paced-hash.times")
printf 'at the pace of 1 Gbit/s, median of 3: setup %.3f s, with SHA-256 %.3f s: the check costs %.1f%%\n' \
  "$ps" "$ph" "$(echo "($ph - $ps) * 100 / $ps" | bc -l)"

echo
read -r wait slowest < <("$KELVANO_WINE" $programs/wait_bench.exe | tr -d '\r')
echo "RunAndWait's return after its program ended, 50 runs: median $wait ms, slowest $slowest ms (goal: median under 2 ms)"
