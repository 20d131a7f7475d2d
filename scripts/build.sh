#!/usr/bin/env bash
# Builds into the folder given (default build/) with warnings as errors.
# Further arguments go to cmake, e.g. -DCAM_SANITIZE=address,undefined.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -DCAM_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j2
