#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
tools/build.sh build
cd build
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)" --timeout 600 2>&1 | tee ctest.log
# ctest's summary ends with "N% tests passed, F tests failed out of T"; repeat it as the last line.
summary=$(grep -E 'tests passed, [0-9]+ tests failed out of' ctest.log | tail -n 1)
total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
failed=$(sed -E 's/.*, ([0-9]+) tests failed.*/\1/' <<<"$summary")
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
