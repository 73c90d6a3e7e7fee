#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vestora on its generated content.
# Unless VESTORA_STORE_URL names another store, the demo store is served
# beside the program (http://127.0.0.1:8470/) while it runs; when that port
# is taken already, whatever serves it there is used and the program starts
# all the same.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build

store_pid=""
if [[ -z "${VESTORA_STORE_URL:-}" ]] && ! (exec 3<>/dev/tcp/127.0.0.1/8470) 2>/dev/null; then
  scripts/serve-store.sh build 8470 >/dev/null 2>&1 &
  store_pid=$!
fi
stop_store() {
  if [[ -n "$store_pid" ]]; then
    kill "$store_pid" 2>/dev/null || true
    wait "$store_pid" 2>/dev/null || true
  fi
}
trap stop_store EXIT INT TERM

status=0
build/root/vestora "$@" || status=$?
exit "$status"
