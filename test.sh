#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the GoogleTest suites
# through CTest, then a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
tools/build.sh build

export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j"$(nproc)" --timeout 600) 2>&1 | tee build/ctest.log || true
# CTest ends with "N% tests passed, F tests failed out of T".
summary=$(grep -E 'tests passed, [0-9]+ tests failed out of' build/ctest.log | tail -n 1 || true)
if [ -n "$summary" ]; then
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  failed=$(sed -E 's/.*, ([0-9]+) tests failed.*/\1/' <<<"$summary")
else
  total=1 failed=1  # CTest itself did not finish
fi

echo "Fuzz smoke (every target for 15 s):"
if fuzz/smoke.sh; then fuzz_failed=0; else fuzz_failed=1; fi

# The last line counts the fuzz smoke as one more test.
echo "$((total - failed + 1 - fuzz_failed)) passed, $((failed + fuzz_failed)) failed"
[ "$failed" -eq 0 ] && [ "$fuzz_failed" -eq 0 ]
