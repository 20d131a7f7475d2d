#!/usr/bin/env bash
# Runs inside an X server (run.sh starts it under xvfb-run): starts the tool on
# the port given, waits for the Easy tab to load from the simulated camera and
# saves build/screens/easy.png. With xdotool at hand it then opens the
# development tabs with the access code and saves one screenshot per tab.
# Usage: screens.sh PORT TRAFFIC_LOG
set -euo pipefail
cd "$(dirname "$0")/.."
port=$1
log=$2
out=build/screens
mkdir -p "$out"
rm -f "$out"/*.png

./build/cam38r5 --port1 "$port" &
tool=$!
trap 'kill $tool 2>/dev/null || true; wait $tool 2>/dev/null || true' EXIT

# The Easy load ends with the lock word (31 0C 01 51); its answer means the tab
# is filled in. The tool gives up on a silent camera after about 24 s.
loaded=no
for _ in $(seq 300); do
  if grep -Eq 'CAM>PC 02 [0-9A-F]{2} 0C 01 51' "$log" 2>/dev/null; then loaded=yes; break; fi
  kill -0 $tool 2>/dev/null || { echo "the tool ended early" >&2; exit 1; }
  sleep 0.1
done
if [ $loaded = no ]; then
  echo "the Easy tab did not load within 30 s (see $log)" >&2
  exit 1
fi
sleep 1 # let the window repaint with the values
import -window root "$out/easy.png"
echo "screenshot: $out/easy.png"

command -v xdotool >/dev/null || exit 0

# Waits until the camera has been quiet for a second (at most 15 s).
settle() {
  local last now
  last=$(wc -l <"$log")
  for _ in $(seq 15); do
    sleep 1
    now=$(wc -l <"$log")
    [ "$now" = "$last" ] && return 0
    last=$now
  done
}

win=$(xdotool search --sync --onlyvisible --name '^38R5$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$win")" # sets X, Y
# No window manager runs on the virtual server: point at the window and give it
# the focus by hand.
xdotool mousemove $((X + 300)) $((Y + 200))
xdotool windowfocus --sync "$win"
xdotool key ctrl+shift+a
sleep 0.3
xdotool type --delay 50 qzvt
sleep 0.5
# Tabs are 100 pixels wide, from x=2, below the menu bar and the 40-pixel header.
tab_y=$((Y + 24 + 40 + 12))
i=0
# easy.png stays as the technician sees it, without the development tabs.
for tab in adjust debug ccd-defect copy easy line; do
  i=$((i + 1))
  [ $tab = easy ] && continue
  xdotool mousemove $((X + 2 + 100 * (i - 1) + 50)) $tab_y click 1
  settle
  import -window root "$out/$tab.png"
  echo "screenshot: $out/$tab.png"
done
