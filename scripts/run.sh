#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vestora on its generated content.
# Until the window exists this runs the command-line tool on the content it
# finds at the application root.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build
echo "vestora: the window is not built yet; showing the content found at the application root:"
exec build/root/vestora-cli status
