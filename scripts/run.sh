#!/usr/bin/env bash
# Installs, builds and starts the tool against the simulated camera. With a
# display it runs until the window is closed. Without one the tool runs on a
# virtual X server: once the camera's state has loaded a screenshot is saved as
# build/screens/easy.png (and one per development tab), then the tool and the
# simulated camera are stopped.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -n "${DISPLAY:-}" ]; then
  bash scripts/install-deps.sh
else
  bash scripts/install-deps.sh xvfb xauth imagemagick xdotool
fi
bash scripts/build.sh build
link=/tmp/cam38r5-camera
log=/tmp/cam38r5-sim.log
rm -f "$log"
./build/cam38r5-sim --link "$link" --log "$log" >/tmp/cam38r5-sim.out &
sim=$!
trap 'kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
echo "simulated camera on $(head -n1 /tmp/cam38r5-sim.out) (traffic log: $log)"
if [ -n "${DISPLAY:-}" ]; then
  ./build/cam38r5 --port1 "$link"
else
  echo "no display: running on a virtual X server"
  xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/screens.sh "$link" "$log"
  echo "screenshots in $PWD/build/screens/"
fi
