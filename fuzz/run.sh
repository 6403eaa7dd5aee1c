#!/usr/bin/env bash
# fuzz/run.sh SECONDS [TARGET...]: builds the libFuzzer targets (clang, ASan,
# UBSan) and runs each for SECONDS, seeded with its corpus and its saved
# regressions. New crashes, hangs and memory blow-ups are written to
# fuzz/regressions/<target>/. Inputs that found new coverage stay in
# build-fuzz-clang/corpus/<target>/, outside the source tree.
# Prints one line per target; exits 1 when any target failed. FUZZ_SEED
# fixes libFuzzer's random seed (0, the default, picks one).
set -uo pipefail
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=$("$root/fuzz/build_fuzzers.sh") || exit 2

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for main in "$root"/fuzz/*_fuzzer.cpp; do
    name=$(basename "$main" .cpp)
    targets+=("${name%_fuzzer}")
  done
fi

export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

failed=0
printf '%-16s %12s  %s\n' target executions result
for target in "${targets[@]}"; do
  work="$build/corpus/$target"
  regressions="$root/fuzz/regressions/$target"
  log="$build/logs/$target.log"
  mkdir -p "$work" "$regressions" "$(dirname "$log")"
  # The first folder receives new inputs; the committed seeds are only read.
  nice -n 10 "$build/fuzz/${target}_fuzzer" "$work" "$root/fuzz/corpus/$target" "$regressions" \
    -max_total_time="$seconds" -seed="${FUZZ_SEED:-0}" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$regressions/" >"$log" 2>&1
  status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ $status -eq 0 ]; then
    result=ok
  else
    failed=1
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
    kind=$(grep -m1 -oE 'ERROR: (AddressSanitizer|libFuzzer|UndefinedBehaviorSanitizer)[^(]*' "$log" ||
           grep -m1 -oE 'runtime error:.*|broken guarantee:.*' "$log" || echo "exit status $status")
    result="FAILED ($kind) ${artifact:-see $log}"
  fi
  printf '%-16s %12s  %s\n' "$target" "${executions:-?}" "$result"
done
exit $failed
