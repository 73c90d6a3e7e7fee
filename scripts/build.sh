#!/usr/bin/env bash
# Configures and builds Vestora into a build folder (default: build).
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
elif [ $# -gt 0 ]; then
  cmake "$build_dir" "$@"
fi
cmake --build "$build_dir" -j2
