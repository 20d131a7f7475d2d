#!/usr/bin/env bash
# Builds the Debian package into build-pkg/ and checks it with lintian; any
# lintian error fails the run. Install the result with
#   apt install ./build-pkg/cam38r5_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh lintian dpkg-dev file
dir=build-pkg
# Only the programs go in the package: installing must not build the tests.
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$dir" -j2 --target cam38r5 cam38r5-line cam38r5-sim cam_changelog
rm -f "$dir"/cam38r5_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/cam38r5_*.deb)
echo "package: $deb"
dpkg-deb --field "$deb"
depends=$(dpkg-deb --field "$deb" Depends)
for p in libqt6widgets6 libqt6gui6 libqt6core6 fonts-ipafont-gothic; do
  grep -Eq "(^|, )$p( |,|$)" <<<"$depends" || { echo "Depends lacks $p" >&2; exit 1; }
done
# The production line program is installed beside the tool.
contents=$(dpkg-deb --contents "$deb")
grep -q ' \./usr/bin/cam38r5-line$' <<<"$contents" || { echo "cam38r5-line is not in the package" >&2; exit 1; }
lintian --fail-on error "$deb"
echo "lintian: no errors"
