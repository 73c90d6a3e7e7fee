#!/usr/bin/env bash
# Serves the demo store the build generated, at http://127.0.0.1:PORT/ (the
# program's default store address is http://127.0.0.1:8470/; set
# VESTORA_STORE_URL for another one).
#
#   scripts/serve-store.sh [BUILD_DIR] [PORT]      defaults: build 8470
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
port="${2:-8470}"
if [[ ! -f "$build/store/index.html" ]]; then
  echo "serve-store: no store in $build/store; build first (./scripts/build.sh $build)" >&2
  exit 1
fi
exec python3 scripts/store_server.py "$build/store" "$port"
