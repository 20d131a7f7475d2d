#!/usr/bin/env bash
# Installs what the build, the tests and the run command need (Debian, as root).
set -euo pipefail
# Extra package names given as arguments are installed too.
packages=(cmake make g++ qt6-base-dev libgtest-dev libgmock-dev fonts-ipafont-gothic "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
