#!/usr/bin/env bash
# Installs what is missing, builds the tool and the sample generator (no
# tests), and runs hotlap-eval on the bundled sample competition: in a window
# when a display is there, as a batch run otherwise.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
build=build-run
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DHOTLAP_BUILD_TESTS=OFF "${launcher[@]}"
cmake --build "$build" -j"$(nproc)" --target hotlap-eval hotlap-eval-gui make-sample-competition
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
