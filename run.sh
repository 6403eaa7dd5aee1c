#!/usr/bin/env bash
# Installs what is missing, builds the tool and the sample generator (no
# tests) into build/, and runs hotlap-eval on the bundled sample competition:
# in a window when a display is there, as a batch run otherwise.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
# The tree and the flags of test.sh, so either script reuses what the other
# compiled (the tests are built only by test.sh).
build=build
tools/build.sh "$build" -DHOTLAP_WERROR=ON -- hotlap-eval hotlap-eval-gui make-sample-competition
sample=examples/sample-competition
"$build/tools/make-sample-competition" "$sample"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cd examples && exec "../$build/app/hotlap-eval"
else
  # Progress and where the report and chart went appear on stderr; the
  # ranking is the report's first block.
  cd examples
  report=$("../$build/app/hotlap-eval" --batch sample-competition)
  printf '\nRanking:\n'
  sed -n '/^$/q;p' <<<"$report"
fi
