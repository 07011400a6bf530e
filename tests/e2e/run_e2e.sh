#!/usr/bin/env bash
# End-to-end checks of the real viewer on copies of the bundled demo, under a
# virtual X server, driven by xdotool; asserts on loaderlog.txt and on
# screenshots of the window (kept in OUTDIR).
#
# usage: run_e2e.sh MESHVIEW MAKE_DEMO OUTDIR [CLOSE_WINDOW]
#   CLOSE_WINDOW: the helper that asks a window to close as a window manager
#   would; without it the close-box check is skipped.
# Exit status: 0 all checks passed, 1 a check failed, 77 a tool is missing.
# E2E_PACE (default 1) stretches every wait, for slow machines.
set -uo pipefail

if [ $# -lt 3 ]; then
  echo "usage: run_e2e.sh MESHVIEW MAKE_DEMO OUTDIR [CLOSE_WINDOW]" >&2
  exit 2
fi
for tool in xvfb-run xdotool import convert compare; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
if [ -z "${MESHVIEW_E2E_UNDER_XVFB:-}" ]; then
  export MESHVIEW_E2E_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

# The viewer must open a real X window on the virtual server, whatever driver
# the surrounding test run chose for its headless GL tests.
export SDL_VIDEODRIVER=x11

meshview=$(realpath "$1")
make_demo=$(realpath "$2")
out=$(realpath -m "$3")
closer=${4:+$(realpath "$4")}
pace=${E2E_PACE:-1}
rm -rf "$out"
mkdir -p "$out"
# Compiled effects go to the run's own folder, not the user's cache.
export XDG_CACHE_HOME="$out/cache"
"$make_demo" "$out/demo" >"$out/make_demo.txt" 2>&1 || { echo "FAIL make_demo"; exit 1; }

failures=0
pass() { echo "PASS $1"; }
fail() {
  echo "FAIL $1: $2"
  failures=$((failures + 1))
}
pause() { sleep "$(awk -v s="$1" -v p="$pace" 'BEGIN { print s * p }')"; }

# ---- the viewer --------------------------------------------------------

viewer=""
window=""
session=""
log=""

# A fresh copy of the demo in OUTDIR/NAME, changed by the optional function.
prepare() {
  session="$out/$1"
  cp -r "$out/demo" "$session"
  log="$session/bin/loaderlog.txt"
  if [ $# -gt 1 ]; then "$2" "$session"; fi
}

# Starts the viewer in the session's start folder and waits for its window
# and the end of its set-up (the wall's load line).
launch() {
  (cd "$session/bin" && exec "$meshview" >"$session/viewer.out" 2>&1) &
  viewer=$!
  window=""
  for _ in $(seq 1 240); do
    window=$(xdotool search --name "kis bumpmappel" 2>/dev/null | head -1)
    [ -n "$window" ] && grep -q "^wall.x_out:Mloader output" "$log" 2>/dev/null && break
    kill -0 "$viewer" 2>/dev/null || break
    sleep 0.5
  done
  if [ -z "$window" ]; then
    echo "viewer did not open its window (see $session)"
    kill "$viewer" 2>/dev/null
    wait "$viewer" 2>/dev/null
    return 1
  fi
  xdotool windowfocus --sync "$window" mousemove --window "$window" 790 590
  pause 3  # the first frames
}

# Waits for the viewer to end and sets exit_status to its exit status, or to
# "running" when it had to be stopped.
exit_status=""
ended() {
  for _ in $(seq 1 "$(awk -v p="$pace" 'BEGIN { print int(60 * p) }')"); do
    if ! kill -0 "$viewer" 2>/dev/null; then
      exit_status=0
      wait "$viewer" || exit_status=$?
      return
    fi
    sleep 0.5
  done
  kill "$viewer" 2>/dev/null
  wait "$viewer" 2>/dev/null
  exit_status=running
}

key() {
  xdotool key --delay 100 "$@"
  pause 1.5
}
shot() {
  pause 0.5
  import -window "$window" "$session-$1.png"
  echo "$session-$1.png"
}
lines_equal() { grep -c -x -F "$1" "$log"; }

# ---- pictures ----------------------------------------------------------

# Colour classes, as ImageMagick -fx expressions over r, g, b in 0..1.
CLOTH='g>0.15 && b>r+0.15 && b>g+0.08'       # the figure's blue cloth
HUD_YELLOW='r>0.5 && g>0.5 && b<0.3'         # the bitmap font's text
SHADOW_MAP='g>0.9 && b>0.9 && r<0.5'         # the shadow map as the quad shows it
BRICK='r>g+0.15 && r>b+0.15'                 # the wall
CLEAR_BLUE='r<0.05 && g<0.05 && b>0.85'      # the screen's clear colour

# Pixels of IMAGE within GEOMETRY (WxH+X+Y) of a colour class.
count_px() {
  convert "$1" -crop "$2" +repage -fx "$3" -format "%[fx:round(mean*w*h)]" info:
}
# Whether the pixel at X,Y is of a colour class (1 or 0).
is_px() {
  convert "$1" -crop "1x1+$2+$3" +repage -fx "$4" -format "%[fx:round(mean)]" info:
}
# Pixels that differ between two images within GEOMETRY.
diff_px() {
  convert "$1" -crop "$3" +repage "$out/.left.png"
  convert "$2" -crop "$3" +repage "$out/.right.png"
  compare -metric AE -fuzz 2% "$out/.left.png" "$out/.right.png" null: 2>&1 | cut -d' ' -f1
}
# Height of the box round the pixels of a colour class within GEOMETRY.
class_height() {
  convert "$1" -crop "$2" +repage -fx "$3" -bordercolor black -border 1 -trim \
    -format "%h" info: 2>/dev/null
}

# ---- checks on the bundled demo ----------------------------------------

check_startup_log() {
  local name="start-up log: header and both models' load lines"
  local missing=""
  [ "$(head -1 "$log")" = "'Brenvik' DEBUGFILE" ] || missing+=" header;"
  for line in "loading script from: walker.txt" "Bone Num:  17" "EFFECT: ../effect/skinned.fx" \
      "Mloader OutPut>  1" "loading script from: wall.txt" "EFFECT: ../effect/static.fx" \
      "wall.x_out:Mloader output 1"; do
    grep -q -x -F "$line" "$log" || missing+=" \"$line\";"
  done
  [ "$(grep -c '^Final FVF ' "$log")" -ge 3 ] || missing+=" Final FVF lines;"
  if grep -q -i '^<error' "$log"; then missing+=" no error lines ($(grep -i -m1 '^<error' "$log"));"; fi
  if [ -z "$missing" ]; then pass "$name"; else fail "$name" "missing$missing"; fi
}

check_first_frame() {
  local name="first frame: wall and help text, no skinned model before O"
  local image
  image=$(shot first-frame)
  local help fps wall figure sky
  help=$(count_px "$image" 260x80+0+0 "$HUD_YELLOW")
  fps=$(count_px "$image" 100x16+0+584 "$HUD_YELLOW")
  wall=$(count_px "$image" 380x450+420+100 "$BRICK")
  figure=$(count_px "$image" 400x450+400+100 "$CLOTH")
  sky=$(count_px "$image" 100x40+420+0 "$CLEAR_BLUE")
  if [ "$help" -gt 300 ] && [ "$fps" -gt 10 ] && [ "$wall" -gt 40000 ] && [ "$figure" -lt 50 ] &&
     [ "$sky" -gt 3800 ]; then
    pass "$name"
  else
    fail "$name" "help text $help, FPS line $fps, wall $wall, figure $figure, clear colour $sky px"
  fi
}

check_o_shows_figure_and_shadow_map() {
  local name="O shows the skinned model and the 400 x 512 shadow map at the top left"
  key o
  local image
  image=$(shot o-on)
  local map figure corners
  map=$(count_px "$image" 400x512+0+0 "$SHADOW_MAP")
  figure=$(count_px "$image" 400x450+400+100 "$CLOTH")
  corners="$(is_px "$image" 398 300 "$SHADOW_MAP")$(is_px "$image" 404 300 "$SHADOW_MAP")"
  corners+="$(is_px "$image" 200 509 "$SHADOW_MAP")$(is_px "$image" 200 516 "$SHADOW_MAP")"
  if [ "$map" -gt 194000 ] && [ "$corners" = "1010" ] && [ "$figure" -gt 2000 ]; then
    pass "$name"
  else
    fail "$name" "shadow-map pixels $map of 204800, edges $corners (want 1010), figure $figure px"
  fi
}

check_o_again_hides_them() {
  local name="O again hides the skinned model and the shadow map"
  key o
  local image
  image=$(shot o-off)
  local map figure
  map=$(count_px "$image" 400x512+0+0 "$SHADOW_MAP")
  figure=$(count_px "$image" 400x450+400+100 "$CLOTH")
  if [ "$map" -lt 2000 ] && [ "$figure" -lt 50 ]; then
    pass "$name"
  else
    fail "$name" "shadow-map pixels $map, figure $figure px"
  fi
}

check_p_switches_pcf() {
  local name="P switches PCF: the help line's digit changes and changes back"
  local before on off
  before=$(shot pcf-0)
  key p
  on=$(shot pcf-1)
  key p
  off=$(shot pcf-0-again)
  local changed restored
  changed=$(diff_px "$before" "$on" 200x16+0+48)
  restored=$(diff_px "$before" "$off" 200x16+0+48)
  if [ "$changed" -gt 5 ] && [ "$restored" -eq 0 ]; then
    pass "$name"
  else
    fail "$name" "P line pixels changed $changed (want > 5), after the second P $restored (want 0)"
  fi
}

# With O off the scene holds still, so any change comes from the camera.
check_wheel_and_arrows_move_the_camera() {
  local name="wheel, Up and Down move the camera"
  local still again wheeled nearer farther
  still=$(shot camera-start)
  again=$(shot camera-start-again)
  xdotool click 4
  pause 1.5
  wheeled=$(shot camera-wheel)
  xdotool keydown Up
  pause 1.5
  xdotool keyup Up
  pause 1
  nearer=$(shot camera-up)
  xdotool keydown Down
  pause 1.5
  xdotool keyup Down
  pause 1
  farther=$(shot camera-down)
  local scene=800x560+0+0
  local idle wheel up down
  idle=$(diff_px "$still" "$again" $scene)
  wheel=$(diff_px "$again" "$wheeled" $scene)
  up=$(diff_px "$wheeled" "$nearer" $scene)
  down=$(diff_px "$nearer" "$farther" $scene)
  if [ "$idle" -eq 0 ] && [ "$wheel" -gt 2000 ] && [ "$up" -gt 100 ] && [ "$down" -gt 100 ]; then
    pass "$name"
  else
    fail "$name" "changed pixels: idle $idle (want 0), wheel $wheel, Up $up, Down $down"
  fi
}

check_drag_spins_the_figure() {
  local name="a left-button drag spins the figure"
  key o
  local before after
  before=$(shot drag-before)
  xdotool mousemove --window "$window" 600 250 mousedown 1
  pause 0.5
  for y in 260 270 280 290 300 310 320 330; do
    xdotool mousemove --window "$window" 600 "$y"
    sleep 0.1
  done
  pause 1
  xdotool mouseup 1
  pause 1
  after=$(shot drag-after)
  local tall short
  tall=$(class_height "$before" 400x600+400+0 "$CLOTH")
  short=$(class_height "$after" 400x600+400+0 "$CLOTH")
  # An 88-degree pitch lays the upright figure over: far shorter on screen.
  if [ -n "$tall" ] && [ -n "$short" ] && [ "$tall" -gt 100 ] && [ "$((short * 10))" -lt "$((tall * 7))" ]; then
    pass "$name"
  else
    fail "$name" "figure height before ${tall:-?} px, after ${short:-?} px"
  fi
  key o
}

check_right_click_keeps_drawing() {
  local name="a right-click on the demo moves to an animation that draws"
  xdotool mousemove --window "$window" 600 300 click 3
  pause 2
  local failed
  failed=$(lines_equal "animation not.... is! (RT)")
  if [ "$failed" -eq 0 ]; then pass "$name"; else fail "$name" "$failed failed draws logged"; fi
}

check_escape_ends_with_status_1() {
  local name="Escape ends the viewer with status 1 and \"app ends.\" last"
  xdotool key Escape
  ended
  local status=$exit_status last
  last=$(tail -1 "$log")
  if [ "$status" = 1 ] && [ "$last" = "app ends." ]; then
    pass "$name"
  else
    fail "$name" "status $status, last line \"$last\""
  fi
}

# ---- checks on changed copies ------------------------------------------

without_input() { rm "$1/bin/input.txt"; }
with_two_animations() { sed -i '/^a walk /d' "$1/bin/walker.txt"; }

check_missing_input() {
  local name="missing input.txt: logged, wall still shown, one failed draw per frame"
  local lines=""
  for line in "<error> CRun::Run() no file: input.txt?" "model not loaded" "wall.x_out:Mloader output 1"; do
    grep -q -x -F "$line" "$log" || lines+=" \"$line\";"
  done
  local image wall first second
  image=$(shot missing-input)
  wall=$(count_px "$image" 380x450+420+100 "$BRICK")
  first=$(lines_equal "animation not.... is! (RT)")
  pause 2
  second=$(lines_equal "animation not.... is! (RT)")
  # Every line after the set-up is the shadow pass's failed draw of the model.
  local after_setup others
  after_setup=$(sed -n '/^wall.x_out:Mloader output/,$p' "$log" | tail -n +2)
  others=$(echo "$after_setup" | grep -v -x -F "animation not.... is! (RT)" | grep -c . || true)
  if [ -z "$lines" ] && [ "$wall" -gt 40000 ] && [ "$second" -gt "$first" ] && [ "$first" -gt 0 ] &&
     [ "$others" -eq 0 ]; then
    pass "$name"
  else
    fail "$name" "missing$lines wall $wall px, failed draws $first then $second, other lines $others"
  fi
}

check_right_click_wraps_two_animations() {
  local name="with two animations the start index 2 fails each frame until a right-click wraps it to 0"
  local first second
  first=$(lines_equal "animation not.... is! (RT)")
  pause 1
  second=$(lines_equal "animation not.... is! (RT)")
  xdotool mousemove --window "$window" 600 300 click 3
  pause 2
  local third fourth
  third=$(lines_equal "animation not.... is! (RT)")
  pause 2
  fourth=$(lines_equal "animation not.... is! (RT)")
  if [ "$second" -gt "$first" ] && [ "$first" -gt 0 ] && [ "$fourth" -eq "$third" ]; then
    pass "$name"
  else
    fail "$name" "failed draws $first, $second before the click; $third, $fourth after"
  fi
}

check_close_box_ends_like_escape() {
  local name="closing the window ends the viewer with status 1 and \"app ends.\" last"
  "$closer" "$window"
  ended
  local status=$exit_status last
  last=$(tail -1 "$log")
  if [ "$status" = 1 ] && [ "$last" = "app ends." ]; then
    pass "$name"
  else
    fail "$name" "status $status, last line \"$last\""
  fi
}

# ---- sessions ----------------------------------------------------------

prepare demo-run
if launch; then
  check_startup_log
  check_first_frame
  check_o_shows_figure_and_shadow_map
  check_o_again_hides_them
  check_p_switches_pcf
  check_wheel_and_arrows_move_the_camera
  check_drag_spins_the_figure
  check_right_click_keeps_drawing
  check_escape_ends_with_status_1
else
  fail "demo session" "no window"
fi

prepare missing-input without_input
if launch; then
  check_missing_input
  check_escape_ends_with_status_1
else
  fail "missing-input session" "no window"
fi

prepare two-animations with_two_animations
if launch; then
  check_right_click_wraps_two_animations
  xdotool key Escape
  ended
else
  fail "two-animation session" "no window"
fi

if [ -n "$closer" ]; then
  prepare close-box
  if launch; then
    check_close_box_ends_like_escape
  else
    fail "close-box session" "no window"
  fi
else
  echo "SKIP closing the window: no close_window helper"
fi

rm -f "$out/.left.png" "$out/.right.png"
echo "screenshots and logs in $out"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
