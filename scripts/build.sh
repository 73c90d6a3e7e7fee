#!/usr/bin/env bash
# Configures and builds Vestora into a build folder (default: build).
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
if [ ! -f "$build_dir/build.ninja" ]; then
  # Optimised, with line tables for stack traces and profiles: full debug
  # information makes the build several times slower (configure another
  # folder with -DCMAKE_BUILD_TYPE=Debug to step through the code).
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "$@"
elif [ $# -gt 0 ]; then
  cmake "$build_dir" "$@"
fi
cmake --build "$build_dir" -j2
