#!/usr/bin/env bash
# Installs, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 300
