#!/usr/bin/env bash
# fuzz/corrupt_run.sh VARIANTS_DIR [HOTLAP_EVAL]
# Runs every damaged competition that corrupt-competition wrote into
# VARIANTS_DIR through `hotlap-eval --batch` built with AddressSanitizer and
# UndefinedBehaviorSanitizer (by default the clang fuzz build's), each under
# `timeout 60`, and tallies per class: exit statuses, sanitizer reports,
# entries accounted for (one closing separator line per entry folder) and
# results printed twice. Per-variant rows go to VARIANTS_DIR/results.tsv,
# the output of every variant that failed a check to VARIANTS_DIR/failures/.
# Exits 1 when any variant failed a check.
set -uo pipefail
dir=$(cd "${1:?usage: fuzz/corrupt_run.sh VARIANTS_DIR [HOTLAP_EVAL]}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${2:-$root/build-fuzz-clang/app/hotlap-eval}
if [ ! -x "$bin" ]; then
  "$root/fuzz/build_fuzzers.sh" >/dev/null || exit 2
  nice -n 10 cmake --build "$root/build-fuzz-clang" --target hotlap-eval -j2 >&2 || exit 2
fi
bin=$(realpath "$bin")

export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

hyphens=---------------------------------------------------
separator="^$hyphens *\$"
results="$dir/results.tsv"
failures="$dir/failures"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
rm -rf "$failures"
mkdir -p "$failures"
# The results of the intact competitions. Two damaged track files can decode
# to the same garbage line, but a genuine result printed twice means the run
# mixed up its entries.
genuine="$scratch/genuine"
for intact in "$dir"/_intact/*/; do
  (cd "$scratch" && "$bin" --batch "$intact" 2>/dev/null) | grep '^1\.: '
done | sort -u >"$genuine"

printf 'variant\tclass\tstatus\tsanitizer\tleaks\tentries\taccounted\tdoubled\n' >"$results"

while IFS=$'\t' read -r name kind _; do
  variant="$dir/$name"
  # The working folder holds no Google template, like a fresh install.
  (cd "$scratch" && nice -n 10 timeout 60 "$bin" --batch "$variant" >"$scratch/out" 2>"$scratch/err")
  status=$?
  sanitizer=$(grep -cE 'ERROR: AddressSanitizer|runtime error:' "$scratch/err")
  leaks=$(grep -c 'ERROR: LeakSanitizer' "$scratch/err")
  entries=$(find "$variant" -mindepth 1 -maxdepth 1 -type d | wc -l)
  separators=$(grep -cE "$separator" "$scratch/out")
  accounted=$((separators > 0 ? separators - 1 : 0))
  # Entries logging more than one result, then genuine results seen twice.
  crowded=$(awk -v hyphens="$hyphens" '{ line = $0; sub(/ +$/, "", line) }
    line == hyphens { n++ } /^1\.: / { count[n]++ }
    END { for (k in count) c += (count[k] > 1); print c + 0 }' "$scratch/out")
  repeated=$(grep '^1\.: ' "$scratch/out" | sort | uniq -d | grep -cFxf "$genuine")
  doubled=$((crowded + repeated))
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$kind" "$status" "$sanitizer" "$leaks" \
    "$entries" "$accounted" "$doubled" >>"$results"
  if [ "$status" -gt 1 ] || [ "$sanitizer" -gt 0 ] || [ "$leaks" -gt 0 ] ||
     [ "$entries" -ne "$accounted" ] || [ "$doubled" -gt 0 ]; then
    cp "$scratch/out" "$failures/$name.out"
    cp "$scratch/err" "$failures/$name.err"
  fi
done <"$dir/variants.tsv"

awk -F'\t' 'NR > 1 {
    k = $2; n[k]++
    s[k, $3]++; seen[$3] = 1
    san[k] += ($4 > 0); leak[k] += ($5 > 0); miss[k] += ($6 != $7); dbl[k] += ($8 > 0)
    bad += ($3 > 1 || $4 > 0 || $5 > 0 || $6 != $7 || $8 > 0)
  }
  END {
    printf "%-13s %5s  %-34s %9s %6s %11s %7s\n", "class", "runs", "exit statuses", "sanitizer", "leaks", "unaccounted", "doubled"
    for (k in n) {
      line = ""
      for (code in seen) if (s[k, code]) line = line "status " code ": " s[k, code] "  "
      printf "%-13s %5d  %-34s %9d %6d %11d %7d\n", k, n[k], line, san[k], leak[k], miss[k], dbl[k]
    }
    printf "variants failing a check: %d\n", bad
    exit bad > 0
  }' "$results"
