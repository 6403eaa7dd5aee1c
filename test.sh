#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the GoogleTest suites
# through CTest, then a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh --tests

# Every C++ file of the tree as .clang-format lays it out.
echo "Format check:"
format_failed=0
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror || format_failed=1

tools/build.sh build -DHOTLAP_WERROR=ON

export QT_QPA_PLATFORM=offscreen
results=build/ctest-results.xml
rm -f "$results"
ctest_status=0
(cd build && ctest --output-on-failure -j"$(nproc)" --timeout 600 --no-tests=error \
  --output-junit ctest-results.xml) || ctest_status=$?
# The counts come from CTest's JUnit summary; whether the suite passed comes
# from CTest's exit status, which also fails when CTest itself broke down.
# The summary is the opening tag of <testsuite>, one attribute a line.
counts=$(tr '\n\t' '  ' 2>/dev/null <"$results" | grep -o -m 1 '<testsuite [^>]*' || true)
total=$(sed -nE 's/.* tests="([0-9]+)".*/\1/p' <<<"$counts")
failed=$(sed -nE 's/.* failures="([0-9]+)".*/\1/p' <<<"$counts")
total=${total:-0} failed=${failed:-0}
if [ "$ctest_status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1 total=$((total + 1)); fi

echo "Fuzz smoke (every target for 15 s):"
if fuzz/smoke.sh; then fuzz_failed=0; else fuzz_failed=1; fi

# The last line counts the fuzz smoke and the format check as two more tests.
bad=$((fuzz_failed + format_failed))
echo "$((total - failed + 2 - bad)) passed, $((failed + bad)) failed"
[ "$ctest_status" -eq 0 ] && [ "$bad" -eq 0 ]
