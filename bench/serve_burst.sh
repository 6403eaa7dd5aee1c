#!/usr/bin/env bash
# The server under a burst: the 98 entries of the benchmark competition
# uploaded by 8 concurrent clients over loopback. Prints uploads per second,
# p50/p95 latency of the answers, the server's peak resident memory, how
# long after the last answer the page showed every entry, and the wall time
# of `--batch --json` over the same 98 entries for comparison.
#
#   bench/serve_burst.sh HOTLAP_EVAL MAKE_SAMPLE_COMPETITION [WORK_DIR]
set -euo pipefail
eval_bin=$(realpath "$1")
sample_bin=$(realpath "$2")
work=$(realpath -m "${3:-$(mktemp -d)}")
clients=8
mkdir -p "$work"
source="$work/source"
[ -d "$source" ] || "$sample_bin" "$source" --entrants 98 --screen 1024x768 --runs 2000 \
  --objects 200 --rects 50 --ghost 3000 >/dev/null
rm -rf "$work/base" "$work/state" "$work/times"
mkdir -p "$work/base" "$work/times"
cp "$source"/*.car "$work/base/"
mapfile -t entries < <(cd "$source" && find . -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
"$eval_bin" token "$work/base" --state "$work/state" "${entries[@]}" >"$work/tokens"

${SERVE_WRAPPER:-} "$eval_bin" serve "$work/base" --state "$work/state" --listen 127.0.0.1:0 --rate-limit 100000 \
  2>"$work/server.log" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 600); do grep -q '^listening on' "$work/server.log" && break; sleep 0.1; done
url=$(sed -n 's/^listening on \(http:[^ ]*\)\/$/\1/p' "$work/server.log")
# The start-up evaluation of the empty folder is over once the page answers.
for _ in $(seq 600); do
  [ "$(curl -s -o /dev/null -w '%{http_code}' "$url/upload")" = 200 ] && break; sleep 0.1
done

upload() {
  local entry=$1 token=$2 args=()
  for file in "$source/$entry"/*; do
    case "${file,,}" in
      *trk) args+=(-F "track=@$file") ;; *gam) args+=(-F "game=@$file") ;; *) args+=(-F "screen=@$file") ;;
    esac
  done
  curl -s -o /dev/null -w '%{http_code} %{time_total}\n' -H "Authorization: Bearer $token" \
    "${args[@]}" "$url/api/upload" >"$work/times/$entry"
}
export -f upload
export source url work

start=$(date +%s.%N)
xargs -P "$clients" -L 1 bash -c 'upload "$0" "$1"' <"$work/tokens"
end=$(date +%s.%N)
answered=$(date +%s.%N)
# The page is up to date once it lists every track file uploaded.
tracks=$(find "$source" -mindepth 2 -iname '*trk' | wc -l)
while [ "$(curl -s "$url/results.json" | grep -c '"track_file": "')" -lt "$tracks" ]; do
  sleep 0.05
done
page=$(date +%s.%N)
peak=$(sed -n 's/^VmHWM:\s*//p' "/proc/$server/status")
kill -TERM $server
wait $server || true
trap - EXIT

cat "$work/times"/* >"$work/all-times"
ok=$(awk '$1 == 200' "$work/all-times" | wc -l)
latencies=$(awk '$1 == 200 { print $2 }' "$work/all-times" | sort -n)
pct() { awk -v p="$1" '{ v[NR] = $1 } END { i = int(NR * p / 100 + 0.999); if (i < 1) i = 1; printf "%.0f", v[i] * 1000 }'; }
batch_start=$(date +%s.%N)
"$eval_bin" --batch "$work/base" --json - >/dev/null 2>&1
batch_end=$(date +%s.%N)

awk -v ok="$ok" -v n="${#entries[@]}" -v s="$start" -v e="$end" -v a="$answered" -v p="$page" \
  -v bs="$batch_start" -v be="$batch_end" -v peak="$peak" -v p50="$(pct 50 <<<"$latencies")" \
  -v p95="$(pct 95 <<<"$latencies")" 'BEGIN {
  printf "uploads answered 200:    %d of %d (those without a track file get 400)\n", ok, n
  printf "burst wall time:         %.2f s (%.1f uploads/s)\n", e - s, ok / (e - s)
  printf "latency p50 / p95:       %d ms / %d ms   (target p95 < 150 ms)\n", p50, p95
  printf "--batch --json wall:     %.2f s  (target: burst within 2x = %.2f s)\n", be - bs, 2 * (be - bs)
  printf "page complete after:     %.2f s of the last answer (target < 2 s)\n", p - a
  printf "server peak resident:    %s   (target < 128 MB)\n", peak
}'
