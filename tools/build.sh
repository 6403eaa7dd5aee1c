#!/usr/bin/env bash
# Configures (once, or again when CMake options follow the folder) and builds
# into the given folder: tools/build.sh [DIR [-DOPTION=VALUE...]]
set -euo pipefail
dir=${1:-build}
shift || true
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$dir/build.ninja" ] || [ $# -gt 0 ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
fi
cmake --build "$dir" -j"$(nproc)"
