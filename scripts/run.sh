#!/usr/bin/env bash
# Installs, builds and starts the tool against the simulated camera. Without a
# display the tool runs on a virtual X server and a screenshot of its window
# is saved as cam38r5-screen.png once the camera's state has loaded.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -n "${DISPLAY:-}" ]; then
  bash scripts/install-deps.sh
else
  bash scripts/install-deps.sh xvfb xauth imagemagick
fi
bash scripts/build.sh build
link=/tmp/cam38r5-camera
./build/cam38r5-sim --link "$link" --log /tmp/cam38r5-sim.log >/tmp/cam38r5-sim.out &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
echo "simulated camera on $(head -n1 /tmp/cam38r5-sim.out) (traffic log: /tmp/cam38r5-sim.log)"
if [ -n "${DISPLAY:-}" ]; then
  ./build/cam38r5 --port1 "$link"
else
  echo "no display: running on a virtual X server"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    ./build/cam38r5 --port1 "$0" & tool=$!
    sleep 8
    import -window root cam38r5-screen.png && echo "screenshot: cam38r5-screen.png"
    wait $tool' "$link"
fi
