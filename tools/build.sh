#!/usr/bin/env bash
# Configures (once) and builds into the given folder.
set -euo pipefail
dir=${1:-build}
cd "$(dirname "$0")/.."
[ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$dir" -j"$(nproc)"
