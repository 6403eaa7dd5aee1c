#!/usr/bin/env bash
# The server under a burst: 98 entries uploaded by 8 concurrent clients over
# loopback. Prints the time from the server's start to its first complete
# page, uploads per second, p50/p95 latency of the answers, how long after
# the last answer the page showed every entry, the server's peak resident
# memory over the whole run, the wall time of `--batch --json` over the
# same folder for comparison, and the time to the complete page after a
# restart on the same state.
#
#   bench/serve_burst.sh [--entrants N] HOTLAP_EVAL MAKE_SAMPLE_COMPETITION [WORK_DIR]
#
# Without --entrants the competition is the 98 entries of the benchmark
# competition, all uploaded into an empty BASEDIR. With --entrants N it is N
# entrants made from one template track (small screens, one shared ghost):
# the organiser has put N - 98 of them into BASEDIR before the start, and
# 98 spread over the list upload theirs while the server runs.
set -euo pipefail
entrants=
positional=()
while [ $# -gt 0 ]; do
  case "$1" in
    --entrants) entrants=${2:?--entrants wants a number}; shift 2 ;;
    *) positional+=("$1"); shift ;;
  esac
done
set -- "${positional[@]}"
eval_bin=$(realpath "$1")
sample_bin=$(realpath "$2")
work=$(realpath -m "${3:-$(mktemp -d)}")
clients=8
mkdir -p "$work"
if [ -z "$entrants" ]; then
  entrants=98
  source="$work/source"
  sample_args=(--screen 1024x768 --runs 2000 --objects 200 --rects 50 --ghost 3000)
  page_target=2
else
  source="$work/source-$entrants"
  sample_args=(--screen 64x48 --ghost-drivers 1)
  page_target=10
fi
uploads=$((entrants < 98 ? entrants : 98))
[ -d "$source" ] || "$sample_bin" "$source" --entrants "$entrants" "${sample_args[@]}" >/dev/null
rm -rf "$work/base" "$work/state" "$work/times"
mkdir -p "$work/base" "$work/times"
mapfile -t all < <(cd "$source" && find . -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
entries=()
for ((i = 0; i < uploads; i++)); do entries+=("${all[i * ${#all[@]} / uploads]}"); done
# Everyone else's files are in BASEDIR before the start, as the organiser put them.
cp -r "$source"/. "$work/base/"
for entry in "${entries[@]}"; do rm -rf "${work:?}/base/$entry"; done
"$eval_bin" token "$work/base" --state "$work/state" "${entries[@]}" >"$work/tokens"
tracks_before=$(find "$work/base" -mindepth 2 -iname '*trk' | wc -l)
tracks_after=$(find "$source" -mindepth 2 -iname '*trk' | wc -l)
# The copy above, and an earlier run's files, are on disk before the clock
# starts: their writeback would otherwise land in the middle of the run.
sync

started=$(date +%s.%N)
${SERVE_WRAPPER:-} "$eval_bin" serve "$work/base" --state "$work/state" --listen 127.0.0.1:0 --rate-limit 100000 \
  2>"$work/server.log" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 600); do grep -q '^listening on' "$work/server.log" && break; sleep 0.1; done
url=$(sed -n 's/^listening on \(http:[^ ]*\)\/$/\1/p' "$work/server.log")

# The page is complete once it lists every track file of BASEDIR.
wait_for_page() {
  local tracks=$1
  for _ in $(seq 1200); do
    if [ "$(curl -s -o "$work/page.json" -w '%{http_code}' "$url/results.json")" = 200 ] &&
      [ "$(grep -c '"track_file": "' "$work/page.json")" -ge "$tracks" ]; then
      return 0
    fi
    # Each look starts a process, which takes a core from the server for a
    # moment: four looks a second.
    sleep 0.25
  done
  echo "the page never listed $tracks track files" >&2
  return 1
}
wait_for_page "$tracks_before"
first_page=$(date +%s.%N)

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
wait_for_page "$tracks_after"
page=$(date +%s.%N)
peak=$(sed -n 's/^VmHWM:\s*//p' "/proc/$server/status")
kill -TERM $server
wait $server || true

# A restart on the same state: the page a clean stop kept is built on.
restarted=$(date +%s.%N)
"$eval_bin" serve "$work/base" --state "$work/state" --listen 127.0.0.1:0 --rate-limit 100000 \
  2>"$work/server.log" &
server=$!
for _ in $(seq 600); do grep -q '^listening on' "$work/server.log" && break; sleep 0.1; done
url=$(sed -n 's/^listening on \(http:[^ ]*\)\/$/\1/p' "$work/server.log")
wait_for_page "$tracks_after"
restart_page=$(date +%s.%N)
restart_peak=$(sed -n 's/^VmHWM:\s*//p' "/proc/$server/status")
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
# Tens of thousands of files deleted just before the next run's would slow
# its file creation (the file system passes over recently freed inodes):
# they go now, and reach the disk before the next run starts.
rm -rf "${work:?}/base" "$work/state"
sync

awk -v ok="$ok" -v n="${#entries[@]}" -v all="$entrants" -v st="$started" -v fp="$first_page" \
  -v s="$start" -v e="$end" -v a="$answered" -v p="$page" -v pt="$page_target" \
  -v bs="$batch_start" -v be="$batch_end" -v peak="$peak" -v p50="$(pct 50 <<<"$latencies")" \
  -v rs="$restarted" -v rp="$restart_page" -v rpeak="$restart_peak" \
  -v p95="$(pct 95 <<<"$latencies")" 'BEGIN {
  printf "entrants:                %d, %d of them uploading\n", all, n
  printf "first complete page:     %.2f s after the start (target < 10 s)\n", fp - st
  printf "uploads answered 200:    %d of %d (those without a track file get 400)\n", ok, n
  printf "burst wall time:         %.2f s (%.1f uploads/s)\n", e - s, ok / (e - s)
  printf "latency p50 / p95:       %d ms / %d ms   (target p95 < 150 ms)\n", p50, p95
  printf "--batch --json wall:     %.2f s  (target: burst within 2x = %.2f s)\n", be - bs, 2 * (be - bs)
  printf "page complete after:     %.2f s of the last answer (target < %d s)\n", p - a, pt
  printf "server peak resident:    %s   (target < 128 MB)\n", peak
  printf "page after a restart:    %.2f s (target < 10 s), peak resident %s\n", rp - rs, rpeak
}'
