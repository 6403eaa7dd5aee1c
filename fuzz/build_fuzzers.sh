#!/usr/bin/env bash
# Configures (once) and builds the libFuzzer targets with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer into build-fuzz-clang. Prints the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz-clang"
if [ ! -f "$build/build.ninja" ]; then
  # Coverage instrumentation for every library the fuzzers reach, not only
  # their mains, so libFuzzer can see progress inside the decoders.
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHOTLAP_BUILD_FUZZ=ON -DHOTLAP_SANITIZE=ON \
    -DHOTLAP_BUILD_TESTS=OFF -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >&2
fi
targets=()
for main in "$root"/fuzz/*_fuzzer.cpp; do targets+=("$(basename "$main" .cpp)"); done
nice -n 10 cmake --build "$build" --target "${targets[@]}" -j2 >&2
echo "$build"
