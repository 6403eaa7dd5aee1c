#!/usr/bin/env bash
# Builds in Release, generates the benchmark competition, runs the stage
# benchmarks and the whole-process measurements, and prints the figures
# against their targets.
#
#   bench/run.sh [BUILD_DIR]        (default: build-bench next to this folder)
#
# Environment: RUNS (whole-process runs per command, default 10),
# BENCH_ARGS (extra arguments for hotlap-bench, e.g. --benchmark_filter=Draw).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-bench}")
runs=${RUNS:-10}
out="$build/bench-results"
competition="$build/bench-competition"
mkdir -p "$out"

section() { printf '\n== %s\n' "$1"; }
# The median of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

section "Build (Release)"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHOTLAP_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 \
  --target hotlap-eval make-sample-competition hotlap-bench jpeg-floor startup-time
eval_bin="$build/app/hotlap-eval"
floor_bin="$build/bench/jpeg-floor"
bench_bin="$build/bench/hotlap-bench"
startup_bin="$build/bench/startup-time"

section "Benchmark competition"
# The same options always give the same bytes, so an existing one is reused.
if [ ! -f "$competition/reference.car" ]; then
  "$build/tools/make-sample-competition" "$competition" --entrants 98 --screen 1024x768 \
    --runs 2000 --objects 200 --rects 50 --ghost 3000
fi
echo "$competition: $(find "$competition" -mindepth 1 -maxdepth 1 -type d | wc -l) entries," \
  "$(find "$competition" -iname '*jpg' | wc -l) JPEG screens," \
  "$(find "$competition" -iname '*bmp' | wc -l) BMP screens"

section "Stage benchmarks (medians of 5 repetitions)"
HOTLAP_BENCH_COMPETITION="$competition" "$bench_bin" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_min_time=0.2 \
  --benchmark_out="$out/stages.csv" --benchmark_out_format=csv ${BENCH_ARGS:-} |
  grep -E '^(-|Benchmark|BM_.*_median)'

# median_of NAME COLUMN: a benchmark's median in microseconds (3 = real, 4 = CPU).
median_of() {
  awk -F, -v name="\"$1_median\"" -v col="$2" '
    $1 == name {
      factor = ($5 == "ns") ? 0.001 : ($5 == "ms") ? 1000 : ($5 == "s") ? 1e6 : 1
      printf "%.1f", $col * factor; found = 1
    }
    END { if (!found) printf "nan" }' "$out/stages.csv"
}

section "Whole process: batch run against the floor"
if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 2 --runs "$runs" --export-csv "$out/process.csv" \
    --command-name batch "$eval_bin --batch $competition" \
    --command-name floor "$floor_bin $competition"
  # process_of NAME COLUMN: 4 = median wall, 5 = user, 6 = system (seconds).
  process_of() { awk -F, -v name="$1" -v col="$2" '$1 == name { print $col }' "$out/process.csv"; }
  batch_wall=$(process_of batch 4)
  floor_wall=$(process_of floor 4)
  batch_cpu=$(awk "BEGIN { print $(process_of batch 5) + $(process_of batch 6) }")
  floor_cpu=$(awk "BEGIN { print $(process_of floor 5) + $(process_of floor 6) }")
else
  echo "hyperfine is not installed; timing $runs runs with /usr/bin/time"
  # median_run: median wall and CPU seconds of a command over $runs runs.
  median_run() {
    for _ in $(seq "$runs"); do
      /usr/bin/time -f '%e %U %S' "$@" 2>&1 >/dev/null | tail -n 1
    done >"$out/runs.txt"
    local wall cpu
    wall=$(awk '{ print $1 }' "$out/runs.txt" | median)
    cpu=$(awk '{ print $2 + $3 }' "$out/runs.txt" | median)
    echo "$wall $cpu"
  }
  read -r batch_wall batch_cpu < <(median_run "$eval_bin" --batch "$competition")
  read -r floor_wall floor_cpu < <(median_run "$floor_bin" "$competition")
fi

section "Whole process: what each set of outputs costs against the floor"
# The plain run decodes no screen; --json/--csv still ask whether each
# screen decodes, on both cores while the run goes on; --pictures draws
# every track picture and writes it from the other core; --audit checks the
# screens as --json does; --export also scales and writes every screen
# there. CPU time is the steadier figure on a shared machine.
pictures_dir=$(mktemp -d)
outputs_of() {
  case "$1" in
    plain) echo "" ;;
    results) echo "--json $out/run.json --csv $out/run.csv" ;;
    pictures) echo "--pictures $pictures_dir" ;;
    audit) echo "--audit" ;;
    export) echo "--export $pictures_dir/page" ;;
  esac
}
# The target of each set of outputs, as a ratio to the floor's wall time.
target_of() {
  case "$1" in
    plain) echo "0.5" ;;
    results) echo "0.45" ;;
    export) echo "0.6" ;;
    *) echo "" ;;
  esac
}
# With FRESH set, that folder is removed before each run, so every --export
# starts from an empty folder (the export into an earlier one is timed below).
cpu_median() {
  for _ in $(seq "$runs"); do
    if [ -n "${FRESH:-}" ]; then rm -rf "$FRESH"; fi
    /usr/bin/time -f '%e %U %S %M' "$@" 2>&1 >/dev/null | tail -n 1
  done >"$out/runs.txt"
  echo "$(awk '{ print $1 }' "$out/runs.txt" | median)" \
    "$(awk '{ print $2 + $3 }' "$out/runs.txt" | median)" \
    "$(awk '{ print $4 }' "$out/runs.txt" | sort -n | tail -n 1)"
}
read -r floor_wall2 floor_cpu2 _ < <(cpu_median "$floor_bin" "$competition")
declare -A output_wall output_cpu output_rss
for kind in plain results pictures audit export; do
  fresh=""
  if [ "$kind" = export ]; then fresh="$pictures_dir/page"; fi
  # shellcheck disable=SC2046
  read -r output_wall[$kind] output_cpu[$kind] output_rss[$kind] < \
    <(FRESH="$fresh" cpu_median "$eval_bin" --batch "$competition" $(outputs_of "$kind"))
done
rm -rf "$pictures_dir"

section "Whole process: export into an earlier export after one entry changed"
# A copy of the competition (hard links) exported once; before each timed
# run one entry's screen is swapped for another picture, so every run finds
# exactly one entry changed. Against a plain --batch of the same folder.
incremental="$build/bench-incremental"
rm -rf "$incremental"
cp -rl "$competition" "$incremental"
page="$out/page"
rm -rf "$page"
"$eval_bin" --batch "$incremental" --export "$page" >/dev/null 2>&1
mapfile -t screens < <(find "$incremental" -mindepth 2 -name screen.jpg | sort)
cp "${screens[0]}" "$out/screen-a.jpg"
cp "${screens[1]}" "$out/screen-b.jpg"
for i in $(seq "$runs"); do
  cp --remove-destination "$out/screen-$([ $((i % 2)) = 1 ] && echo b || echo a).jpg" "${screens[0]}"
  /usr/bin/time -f '%e %U %S %M' "$eval_bin" --batch "$incremental" --export "$page" 2>&1 >/dev/null |
    tail -n 1
done >"$out/incremental.txt"
again_wall=$(awk '{ print $1 }' "$out/incremental.txt" | median)
again_cpu=$(awk '{ print $2 + $3 }' "$out/incremental.txt" | median)
read -r plain_again_wall plain_again_cpu _ < <(cpu_median "$eval_bin" --batch "$incremental")
page_bytes=$(find "$page" -type f \( -name index.html -o -name '*.png' -o -name '*.jpg' \) -printf '%s\n' |
  awk '{ s += $1 } END { print s }')
page_files=$(find "$page" -type f \( -name index.html -o -name '*.png' -o -name '*.jpg' \) | wc -l)
printf 'export into the earlier folder: %.3f s wall, %.3f s CPU; plain batch %.3f s wall, %.3f s CPU\n' \
  "$again_wall" "$again_cpu" "$plain_again_wall" "$plain_again_cpu"
printf 'page weight: %s bytes in %s files\n' "$page_bytes" "$page_files"

section "Lighthouse (mobile profile) on the exported page"
# Needs bench/lighthouse set up once with `npm ci` (the only step that uses
# the network); skipped otherwise.
lighthouse_scores=$("$root/bench/lighthouse/run.sh" "$page" "$out/lighthouse.json" 2>&1) ||
  lighthouse_scores="not run: $(tail -n 1 <<<"$lighthouse_scores")"
echo "$lighthouse_scores"

section "Scale: many entrants with small screens"
# make-sample-competition --entrants N --screen 64x48; time and peak RSS of
# one batch run each (median of 3).
declare -A scale_wall scale_cpu scale_rss
for n in 1000 2000 5000; do
  folder="$build/bench-scale-$n"
  if [ ! -f "$folder/reference.car" ]; then
    "$build/tools/make-sample-competition" "$folder" --entrants "$n" --screen 64x48 >/dev/null
  fi
  read -r scale_wall[$n] scale_cpu[$n] scale_rss[$n] < <(runs=3 cpu_median "$eval_bin" --batch "$folder")
  printf '%5d entrants: %.2f s wall, %.2f s CPU, %d KB peak RSS\n' "$n" "${scale_wall[$n]}" \
    "${scale_cpu[$n]}" "${scale_rss[$n]}"
done

section "Scale: entrants that all share one ghost"
# make-sample-competition --entrants N --screen 64x48 --ghost-drivers 1: one
# duplicate-ghost group of every timed entry. Plain and with --json.
declare -A shared_wall shared_cpu shared_rss json_wall json_cpu json_rss
for n in 1000 2000 5000; do
  folder="$build/bench-shared-$n"
  if [ ! -f "$folder/reference.car" ]; then
    "$build/tools/make-sample-competition" "$folder" --entrants "$n" --screen 64x48 \
      --ghost-drivers 1 >/dev/null
  fi
  read -r shared_wall[$n] shared_cpu[$n] shared_rss[$n] < <(runs=3 cpu_median "$eval_bin" --batch "$folder")
  read -r json_wall[$n] json_cpu[$n] json_rss[$n] < \
    <(runs=3 cpu_median "$eval_bin" --batch "$folder" --json "$out/shared.json")
  printf '%5d entrants: %.2f s wall, %d KB peak; with --json %.2f s wall, %d KB peak\n' "$n" \
    "${shared_wall[$n]}" "${shared_rss[$n]}" "${json_wall[$n]}" "${json_rss[$n]}"
done

peak_rss() {
  for _ in 1 2 3; do /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1; done | sort -n | tail -n 1
}
batch_rss=$(peak_rss "$eval_bin" --batch "$competition")
floor_rss=$(peak_rss "$floor_bin" "$competition")

section "Season: 20 copies of the benchmark competition"
# One --season run against 20 single --batch runs of the same competition.
# The copies are hard links: the runs only replace their report and chart,
# which gives each folder files of its own.
season_dir="$build/bench-season"
rm -rf "$season_dir"
mkdir -p "$season_dir"
{
  echo 'title = "Benchmark season"'
  for i in $(seq -w 1 20); do
    cp -rl "$competition" "$season_dir/round$i"
    printf '[[competition]]\nfolder = "round%s"\n' "$i"
  done
} >"$season_dir/season.toml"
read -r single_wall single_cpu _ < <(runs=3 cpu_median "$eval_bin" --batch "$season_dir/round01")
read -r season_wall season_cpu season_rss < <(runs=3 cpu_median "$eval_bin" --season "$season_dir/season.toml")
singles_wall=$(awk "BEGIN { print 20 * $single_wall }")
singles_cpu=$(awk "BEGIN { print 20 * $single_cpu }")
printf 'season of 20: %.2f s wall, %.2f s CPU, %d KB peak; 20 single runs: %.2f s wall, %.2f s CPU\n' \
  "$season_wall" "$season_cpu" "$season_rss" "$singles_wall" "$singles_cpu"
rm -rf "$season_dir"

section "Batch mode without Qt"
# A QApplication would abort on a platform that does not exist.
if env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=hotlap-no-such-platform \
  "$eval_bin" --batch "$competition" >/dev/null 2>"$out/no-qt.err"; then
  no_qt="yes (runs with an impossible QT_QPA_PLATFORM and no display)"
else
  no_qt="NO: $(tail -n 1 "$out/no-qt.err")"
fi
echo "batch run without a GUI toolkit started: $no_qt"
echo "Qt libraries the executable still maps at load: $(ldd "$eval_bin" | grep -c libQt6)"

section "Interactive start-up (offscreen platform)"
# Qt wants a private runtime folder; a shared one only earns warnings.
runtime_dir=$(mktemp -d)
trap 'rm -rf "$runtime_dir"' EXIT
startup_ms=$(for _ in $(seq "$runs"); do
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime_dir" "$startup_bin" |
    awk '{ print $1 }'
done | median)
echo "main() to window shown, median of $runs: $startup_ms ms"
if command -v hyperfine >/dev/null; then
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime_dir" \
    hyperfine -N --warmup 1 --runs "$runs" --export-csv "$out/startup.csv" \
    --command-name start-up "$startup_bin" \
    --command-name "launcher (hotlap-eval before it starts the window program)" "$eval_bin --version"
fi

section "Figures against the targets"
stages=(FindEntryFilesWithoutScreen DecodeTrackHeader DrawTrackPicture DrawGrid
  DrawTrackObjects DrawGhost ShowGameSettings)
entry_real=0
entry_cpu=0
printf '%-32s %12s %12s\n' "stage (median, us)" real cpu
for stage in "${stages[@]}" ScreenLoadAndScale ScreenLoadFullSizeAndScale JpegFloorOne \
  EntryPipeline RankResults DrawChart WholeCompetition JpegFloorAll ScreenLoadAndScaleAll; do
  real=$(median_of "BM_$stage" 3)
  cpu=$(median_of "BM_$stage" 4)
  printf '%-32s %12s %12s\n' "$stage" "$real" "$cpu"
  if [[ " ${stages[*]} " == *" $stage "* ]]; then
    entry_real=$(awk "BEGIN { print $entry_real + $real }")
    entry_cpu=$(awk "BEGIN { print $entry_cpu + $cpu }")
  fi
done
ratio() { awk "BEGIN { if ($2 > 0) printf \"%.2f\", $1 / $2; else print \"nan\" }"; }
echo
printf 'per-entry work without the screen: %s us real, %s us CPU   (target < 1000 us)\n' \
  "$entry_real" "$entry_cpu"
printf 'screen load+scale vs full decode:  %s x CPU\n' \
  "$(ratio "$(median_of BM_ScreenLoadAndScale 4)" "$(median_of BM_JpegFloorOne 4)")"
printf 'in-process whole run vs floor:     %s x CPU\n' \
  "$(ratio "$(median_of BM_WholeCompetition 4)" "$(median_of BM_JpegFloorAll 4)")"
printf 'batch vs floor, wall:              %.3f s / %.3f s = %s   (target <= 1.2)\n' \
  "$batch_wall" "$floor_wall" "$(ratio "$batch_wall" "$floor_wall")"
printf 'batch vs floor, CPU (user+sys):    %.3f s / %.3f s = %s\n' \
  "$batch_cpu" "$floor_cpu" "$(ratio "$batch_cpu" "$floor_cpu")"
printf 'peak RSS: batch %s KB, floor %s KB   (target < 40960 KB)\n' "$batch_rss" "$floor_rss"
echo "against the floor measured in the same section ($floor_wall2 s wall, $floor_cpu2 s CPU):"
for kind in plain results pictures audit export; do
  target=$(target_of "$kind")
  printf '  batch %-8s %.3f s wall (%s x), %.3f s CPU (%s x), %s KB peak%s\n' "$kind" \
    "${output_wall[$kind]}" "$(ratio "${output_wall[$kind]}" "$floor_wall2")" \
    "${output_cpu[$kind]}" "$(ratio "${output_cpu[$kind]}" "$floor_cpu2")" "${output_rss[$kind]}" \
    "${target:+   (target <= $target x wall)}"
done
# Cost per entrant over n log n, relative to 1000 entrants: at most about 1
# when the run grows no faster than n log n.
for n in 2000 5000; do
  printf '  %d entrants: %.2f s CPU, %s KB peak (targets < 10 s, < 65536 KB); growth against n log n from 1000: %s\n' \
    "$n" "${scale_cpu[$n]}" "${scale_rss[$n]}" \
    "$(awk "BEGIN { printf \"%.2f\", (${scale_cpu[$n]} / ${scale_cpu[1000]}) / (($n * log($n)) / (1000 * log(1000))) }")"
done
printf 'export into the earlier folder, one entry changed, vs plain batch: %.3f s / %.3f s = %s wall, %s CPU   (target <= 1.3)\n' \
  "$again_wall" "$plain_again_wall" "$(ratio "$again_wall" "$plain_again_wall")" \
  "$(ratio "$again_cpu" "$plain_again_cpu")"
printf 'page weight (page and pictures): %s MB in %s files   (target <= 6 MB)\n' \
  "$(awk "BEGIN { printf \"%.2f\", $page_bytes / 1e6 }")" "$page_files"
printf 'lighthouse: %s   (targets: performance >= 0.95, accessibility 1, best practices 1, SEO >= 0.95)\n' \
  "$(head -n 1 <<<"$lighthouse_scores")"
for n in 1000 2000 5000; do
  printf '  %d entrants sharing one ghost: %.2f s / %.2f s wall (plain / --json), %s / %s KB peak (targets < 10 s, < 65536 KB)\n' \
    "$n" "${shared_wall[$n]}" "${json_wall[$n]}" "${shared_rss[$n]}" "${json_rss[$n]}"
done
printf '  shared ghost, growth against n log n from 1000 to 5000: %s CPU (plain), %s (--json)\n' \
  "$(awk "BEGIN { printf \"%.2f\", (${shared_cpu[5000]} / ${shared_cpu[1000]}) / ((5000 * log(5000)) / (1000 * log(1000))) }")" \
  "$(awk "BEGIN { printf \"%.2f\", (${json_cpu[5000]} / ${json_cpu[1000]}) / ((5000 * log(5000)) / (1000 * log(1000))) }")"
printf 'season of 20 vs 20 single runs, wall: %.2f s / %.2f s = %s   (target <= 0.6); CPU %s x\n' \
  "$season_wall" "$singles_wall" "$(ratio "$season_wall" "$singles_wall")" \
  "$(ratio "$season_cpu" "$singles_cpu")"
printf 'batch mode without Qt: %s\n' "$no_qt"
printf 'start-up to window shown: %s ms   (target < 300 ms)\n' "$startup_ms"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "raw results: $out"
