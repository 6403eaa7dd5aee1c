#!/usr/bin/env bash
# Configures (once, or again when CMake options follow the folder) and builds
# into the given folder, everything or the targets after "--":
#   tools/build.sh [DIR [-DOPTION=VALUE...]] [-- TARGET...]
set -euo pipefail
dir=build
options=()
targets=()
if [ $# -gt 0 ] && [ "$1" != "--" ]; then dir=$1; shift; fi
while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
if [ $# -gt 0 ]; then shift; targets=("$@"); fi
cd "$(dirname "$0")/.."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$dir/build.ninja" ] || [ ${#options[@]} -gt 0 ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "${options[@]}"
fi
cmake --build "$dir" -j"$(nproc)" ${targets[@]+--target "${targets[@]}"}
