#!/usr/bin/env bash
# Real-window smoke test: the built program on a virtual X server with the xcb
# platform, against the simulated camera, driven by real key and mouse events.
# It waits for the Easy load, unlocks the development tabs with the access
# code, opens each of the six tabs, the switch window and the traffic
# inspector, saves a screenshot of each in build/screens/ and fails when
#   - a page is blank (next to no colours, or one colour nearly everywhere);
#   - the Japanese texts cannot render: no font for them, or the font that
#     would show them draws its glyphs as nothing or all alike;
#   - a tab does not reach its loaded state: the camera is held (SIGSTOP)
#     while the tab is opened, the page is shot while its load waits, the
#     camera is let go, and then the load's last command must be answered
#     in the traffic log and the page must have changed from its loading
#     look to the loaded one (its controls enabled: more dark text pixels);
#   - "PC->Camera(Batch)" right after Verify on the Copy tab (its file typed
#     into the open dialog) takes Verify's file instead of asking for one in
#     the open dialog, or anything is written into the camera before or
#     after that dialog is cancelled;
#   - the window closes during a copy without asking first (the question is
#     kept as close-during-copy.png), No does not keep the window and the
#     copy running, or Yes does not end the tool with nothing more written
#     into the camera (but the frame already on its way).
# Usage: smoke.sh            (builds build/ when the program is missing)
set -euo pipefail
cd "$(dirname "$0")/.."
out=build/screens

if [ "${1:-}" != --inner ]; then
  bash scripts/install-deps.sh xvfb xauth imagemagick xdotool fontconfig python3
  [ -x build/cam38r5 ] && [ -x build/cam38r5-sim ] || bash scripts/build.sh build
  mkdir -p "$out"
  rm -f "$out"/*.png
  work=$(mktemp -d /tmp/cam38r5-smoke.XXXXXX)
  link=$work/camera
  log=$work/traffic.log
  ./build/cam38r5-sim --link "$link" --log "$log" >"$work/sim.out" &
  sim=$!
  trap 'kill -CONT $sim 2>/dev/null || true; kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true; rm -rf "$work"' EXIT
  for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
  [ -e "$link" ] || { echo "smoke: the simulated camera did not start" >&2; exit 1; }
  xvfb-run -a -s "-screen 0 1024x768x24" bash scripts/smoke.sh --inner "$link" "$log" "$sim" "$work"
  exit $?
fi

link=$2
log=$3
sim=$4
work=$5
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "smoke: ok   $*"; }
fail() { failed=$((failed + 1)); echo "smoke: FAIL $*" >&2; }

# --- fonts: the Japanese texts (register names with half-width katakana and
# kanji on the Debug tab, the copy file filter) need a font that has them.
japanese=$(fc-list :lang=ja family | head -n1)
# ﾌ ｨ 係 数: characters the tool shows.
covering=$(fc-list ':charset=ff8c ff68 4fc2 6570' file | head -n1 | sed 's/: *$//')
if [ -z "$japanese" ] || [ -z "$covering" ]; then
  fail "fonts: no font for the Japanese texts (fc-list :lang=ja: '${japanese}')"
else
  # Each glyph drawn by that font must show something, and no two alike: a
  # font without them draws nothing or the same box for each.
  glyphs_ok=yes
  sums=""
  for c in ﾌ ｨ 係 数; do
    png=$work/glyph.png
    convert -font "$covering" -pointsize 32 -size 48x48 -gravity center label:"$c" "$png"
    colours=$(convert "$png" -format %k info:)
    [ "$colours" -gt 2 ] || glyphs_ok=no
    sums="$sums $(convert "$png" -format '%#' info:)"
  done
  distinct=$(tr ' ' '\n' <<<"$sums" | sed '/^$/d' | sort -u | wc -l)
  if [ $glyphs_ok = yes ] && [ "$distinct" = 4 ]; then
    pass "fonts: '$japanese' present, $(basename "$covering") draws ﾌ ｨ 係 数"
  else
    fail "fonts: $(basename "$covering") does not draw the Japanese characters"
  fi
fi

export QT_QPA_PLATFORM=xcb
./build/cam38r5 --port1 "$link" 2>"$work/tool.err" &
tool=$!
trap 'kill $tool 2>/dev/null || true; wait $tool 2>/dev/null || true' EXIT

# Waits until `pattern` shows in the log after line `from` (at most 15 s).
wait_log() {
  local from=$1 pattern=$2
  for _ in $(seq 150); do
    tail -n +"$((from + 1))" "$log" | grep -Eq "$pattern" && return 0
    kill -0 $tool 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# Waits until the camera has been quiet for half a second (at most 10 s).
settle() {
  local last now
  last=$(wc -l <"$log")
  for _ in $(seq 20); do
    sleep 0.5
    now=$(wc -l <"$log")
    [ "$now" = "$last" ] && return 0
    last=$now
  done
}
# "colours dominant%" of a region WxH+X+Y of an image.
colour_stats() {
  local png=$1 region=$2
  convert "$png" -crop "$region" +repage -format '%k ' info:
  convert "$png" -crop "$region" +repage -format %c histogram:info:- |
    awk '{n = $1 + 0; t += n; if (n > m) m = n} END {printf "%d\n", 100 * m / t}'
}
# Pixels darker than a third of full scale: the text of enabled controls.
dark_pixels() {
  convert "$1" -crop "$2" +repage -colorspace Gray -threshold 33% -negate -format '%[fx:mean*w*h]' info: |
    cut -d. -f1
}
# Fails when the region looks blank.
check_not_blank() {
  local name=$1 png=$2 region=$3 colours dominant
  read -r colours dominant < <(colour_stats "$png" "$region")
  if [ "$colours" -ge 16 ] && [ "$dominant" -le 97 ]; then
    pass "$name: not blank ($colours colours, the commonest on $dominant%)"
  else
    fail "$name: blank ($colours colours, the commonest on $dominant%): $png"
  fi
}

if ! wait_log 0 'CAM>PC 02 [0-9A-F]{2} 0C 01 51'; then
  fail "the Easy tab did not load (see $log; tool: $(head -c 300 "$work/tool.err"))"
  echo "smoke: $passed passed, $failed failed"
  exit 1
fi
settle
win=$(timeout 10 xdotool search --sync --onlyvisible --name '^38R5$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$win")" # sets X, Y, WIDTH, HEIGHT
# The page under the tabs (menu bar 24, header 40, tab bar about 24 pixels).
page="$((WIDTH - 20))x300+$((X + 10))+$((Y + 24 + 40 + 30))"
import -window root "$out/easy.png"
check_not_blank easy "$out/easy.png" "$page"

# No window manager runs on the virtual server: point at the window and give
# it the focus by hand; then the access code, typed.
xdotool mousemove $((X + 300)) $((Y + 200))
xdotool windowfocus --sync "$win"
xdotool key ctrl+shift+a
sleep 0.3
xdotool type --delay 50 qzvt
sleep 0.5

# Each tab: its place among the six (tabs are 100 pixels wide from x=2) and
# the answer to the last command of its load.
tab_y=$((Y + 24 + 40 + 12))
declare -A last_step=(
  [adjust]='0A 2F' [debug]='0A 40' [ccd-defect]='36 06' [copy]='0A 40' [easy]='0C 01 51' [line]='53'
)
i=0
for tab in adjust debug ccd-defect copy easy line; do
  i=$((i + 1))
  [ $tab = easy ] && continue
  order+=("$i $tab")
done
order+=("5 easy") # the Easy tab again last: its load follows the Line tab's
for entry in "${order[@]}"; do
  read -r i tab <<<"$entry"
  from=$(wc -l <"$log")
  kill -STOP "$sim"
  xdotool mousemove $((X + 2 + 100 * (i - 1) + 50)) $tab_y click 1
  sleep 0.7
  import -window root "$work/$tab-loading.png"
  kill -CONT "$sim"
  if ! wait_log "$from" "CAM>PC 02 [0-9A-F]{2} ${last_step[$tab]}"; then
    fail "$tab: its load was not answered (see $log)"
    continue
  fi
  settle
  sleep 0.3 # the repaint with the values
  import -window root "$out/$tab.png"
  check_not_blank "$tab" "$out/$tab.png" "$page"
  before=$(dark_pixels "$work/$tab-loading.png" "$page")
  after=$(dark_pixels "$out/$tab.png" "$page")
  changed=$(compare -metric AE "$work/$tab-loading.png" "$out/$tab.png" null: 2>&1 | cut -d' ' -f1 || true)
  if [ "$after" -gt $((before + before / 5 + 50)) ] && [ "${changed%.*}" -gt 0 ]; then
    pass "$tab: loaded ($before dark pixels while loading, $after after, $changed pixels changed)"
  else
    fail "$tab: still looks unloaded ($before dark pixels while loading, $after after): $out/$tab.png"
  fi
done

# Opens a window from the Option menu by its key, moves it to X,Y, saves its
# picture as NAME.png and checks it is not blank.
# Usage: option_window NAME KEY TITLE_REGEX X Y
option_window() {
  local name=$1 key=$2 title=$3 at_x=$4 at_y=$5 id
  xdotool windowfocus --sync "$win"
  xdotool key alt+o
  sleep 0.3
  xdotool key "$key"
  id=$(timeout 5 xdotool search --sync --onlyvisible --name "$title" | head -n1 || true)
  if [ -z "$id" ]; then
    fail "$name: Option > $key did not open it"
    return
  fi
  xdotool windowmove "$id" "$at_x" "$at_y"
  sleep 0.5 # moved, and its contents refreshed (the inspector takes its records)
  eval "$(xdotool getwindowgeometry --shell --prefix WIN_ "$id")"
  import -window root -crop "${WIN_WIDTH}x${WIN_HEIGHT}+${WIN_X}+${WIN_Y}" +repage "$out/$name.png"
  check_not_blank "$name" "$out/$name.png" "${WIN_WIDTH}x${WIN_HEIGHT}+0+0"
}

# The switch window, by Option > SW from the keyboard.
option_window switch s '^38R5-SW$' 760 40

# Verify on the Copy tab: a file of words 0x100-0x2FF (most erased, as the
# simulated camera holds them, every 37th not), typed into the open dialog;
# the map shows words as in the file, differing, and not in it.
verify_file=$work/verify.dat
for a in $(seq 256 767); do
  printf '210C%04X%04X000000000000000000\r\n' "$a" $((a % 37 == 0 ? a : 0xFFFF))
done >"$verify_file"
eval "$(xdotool getwindowgeometry --shell --prefix MAIN_ "$win")"
xdotool windowfocus --sync "$win"
from=$(wc -l <"$log")
xdotool mousemove $((MAIN_X + 2 + 100 * 3 + 50)) $((MAIN_Y + 24 + 40 + 12)) click 1
wait_log "$from" 'CAM>PC 02 [0-9A-F]{2} 0A 40' && settle
from=$(wc -l <"$log")
xdotool mousemove $((MAIN_X + 95)) $((MAIN_Y + 317)) click 1
sleep 1
xdotool key ctrl+a
xdotool type --delay 20 "$verify_file"
xdotool key Return
if wait_log "$from" 'CAM>PC 02 [0-9A-F]{2} 0C 02 FF'; then
  sleep 0.5 # the repaint with the result
  import -window root -crop "${MAIN_WIDTH}x${MAIN_HEIGHT}+${MAIN_X}+${MAIN_Y}" +repage "$out/verify.png"
  check_not_blank verify "$out/verify.png" "${MAIN_WIDTH}x${MAIN_HEIGHT}+0+0"
else
  fail "verify: the camera's words were not read (see $log)"
fi

# The id of the visible window whose title matches TITLE (a regex), waited
# for up to 5 s; nothing when none shows.
window_named() {
  timeout 5 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n1 || true
}
# The tool's writes into the camera's memory in the log from line FROM on,
# stamped at TIME or later when it is given: bulk frames, word writes and
# the reset that ends a copy.
writes_since() {
  tail -n +"$(($1 + 1))" "$log" |
    awk -v t="${2:-}" '$1 >= t && $2 == "PC>CAM" &&
      (/bulk frame/ || ($3 == "02" && ($4 == "F1" || $4 $5 == "210C")))'
}

# "Same File Name" stays unticked after Verify: "PC->Camera(Batch)" then asks
# for its file rather than writing the one Verify read into the camera, and
# with the dialog cancelled nothing is written.
# The copy buttons' row is at y=111 in the window: Single at x=256, Batch at 419.
from=$(wc -l <"$log")
xdotool mousemove $((MAIN_X + 419)) $((MAIN_Y + 111)) click 1
dialog=$(window_named '^Open$')
written=$(writes_since "$from" | wc -l)
if [ -z "$dialog" ]; then
  fail "batch after verify: no open dialog ($written writes into the camera)"
elif [ "$written" != 0 ]; then
  fail "batch after verify: $written writes into the camera before the dialog"
else
  pass "batch after verify: the open dialog asks for the file"
  xdotool windowfocus --sync "$dialog"
fi
xdotool key Escape # the dialog, or whatever showed instead
sleep 1
if [ -z "$(xdotool search --onlyvisible --name '^Open$' 2>/dev/null)" ] &&
  [ "$(writes_since "$from" | wc -l)" = 0 ]; then
  pass "batch after verify: cancelled, nothing written"
else
  fail "batch after verify: the dialog stayed, or the camera was written after the cancel (see $log)"
fi

# The traffic inspector, by Option > Traffic...: the records of every load so
# far, one line each.
option_window inspector t '^38R5 Traffic$' 0 0

# Asks the window to close as a window manager would (WM_DELETE_WINDOW).
close_request() {
  python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
class ClientMessage(ctypes.Structure):  # XClientMessageEvent, padded to an XEvent
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]
d = x.XOpenDisplay(None)
w = int(sys.argv[1])
# Event type 33: ClientMessage.
e = ClientMessage(type=33, window=w, message_type=x.XInternAtom(d, b"WM_PROTOCOLS", 0), format=32)
e.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(d, w, 0, 0, ctypes.byref(e))
x.XFlush(ctypes.c_void_p(d))
PY
}
# Closes the main window; the question that must show is answered with KEY
# (n or y). Returns 1 when no question showed.
close_answering() {
  local box
  close_request "$win"
  box=$(window_named '^Confirm$')
  [ -n "$box" ] || return 1
  [ "$1" = y ] || import -window root -crop "${MAIN_WIDTH}x${MAIN_HEIGHT}+${MAIN_X}+${MAIN_Y}" +repage "$out/close-during-copy.png"
  xdotool windowfocus --sync "$box"
  xdotool key "$1"
  sleep 0.5
}

# Closing the window during a copy asks first. A single copy of a whole copy
# file starts while the camera is held, so that its first line waits. No
# keeps the window and the copy, which goes on when the camera is let go for
# moments; Yes, asked again, ends the tool, and nothing more is written into
# the camera.
close_during_copy() {
  local copy_file=$work/copy.dat dialog from lines closed_at
  kill -0 $tool 2>/dev/null || { fail "the tool ended before the close"; return; }
  for a in $(seq 0 1022); do
    printf '210C%04XFFFF000000000000000000\r\n' "$a"
  done >"$copy_file"
  printf 'F1%028d\r\n' 0 >>"$copy_file"
  xdotool windowraise "$win" # above the inspector
  xdotool mousemove $((MAIN_X + 256)) $((MAIN_Y + 111)) click 1
  dialog=$(window_named '^Open$')
  [ -n "$dialog" ] || { fail "close during copy: PC->Camera(Single) showed no open dialog"; return; }
  xdotool windowfocus --sync "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 20 "$copy_file"
  from=$(wc -l <"$log")
  kill -STOP "$sim"
  xdotool key Return
  sleep 0.5
  close_answering n || { fail "close during copy: the window closed without asking"; return; }
  if [ -n "$(xdotool search --onlyvisible --name '^Confirm$' 2>/dev/null)" ] || ! kill -0 $tool 2>/dev/null; then
    fail "close during copy: No did not keep the window"
    return
  fi
  check_not_blank "close during copy: the question" "$out/close-during-copy.png" "${MAIN_WIDTH}x${MAIN_HEIGHT}+0+0"
  for _ in $(seq 100); do
    kill -CONT "$sim"
    sleep 0.02
    kill -STOP "$sim"
    lines=$(writes_since "$from" | wc -l)
    [ "$lines" -lt 2 ] || break
  done
  closed_at=$(date +%H:%M:%S.%3N)
  if [ "$lines" -lt 2 ] || ! close_answering y; then
    fail "close during copy: after No, the copy wrote $lines lines and the second close did not ask"
    return
  fi
  pass "close during copy: asked; No kept the window and the copy ($lines lines written since)"
  for _ in $(seq 100); do
    kill -0 $tool 2>/dev/null || break
    sleep 0.1
  done
  kill -CONT "$sim"
  sleep 1
  local after reset wrong=""
  after=$(writes_since "$from" "$closed_at" | wc -l)
  reset=$(writes_since "$from" | awk '$4 == "F1"' | wc -l)
  kill -0 $tool 2>/dev/null && wrong="the tool still runs; "
  # The simulator logs a frame when it reads it: the one the tool wrote while
  # the camera was held, just before the close, may show up after it.
  [ "$after" -le 1 ] || wrong="$wrong$after writes into the camera after it; "
  [ "$reset" = 0 ] || wrong="${wrong}the copy ran to its reset; "
  if [ -z "$wrong" ]; then
    pass "close during copy: Yes ended the tool; the copy stopped after word 0x$(writes_since "$from" | tail -n1 | awk '{print $6 $7}')"
  else
    fail "close during copy: after Yes, $wrong(see $log)"
  fi
}
close_during_copy
kill -CONT "$sim"
echo "smoke: screenshots in $PWD/$out/"
echo "smoke: $passed passed, $failed failed"
[ $failed = 0 ]
