#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vestora on its generated content.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build
exec build/root/vestora "$@"
