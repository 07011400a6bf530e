#!/usr/bin/env bash
# End-to-end checks of the animation review keys on a real model converted
# with meshconv (assimp's X/anim_test.x, a bending cylinder on four bones,
# its one clip cut into three), under a virtual X server driven by xdotool. Screenshots and
# the viewer's output stay in OUTDIR.
#
# usage: review_e2e.sh MESHVIEW MESHCONV OUTDIR [DATA]
#   DATA: the program's data folder; its demo figure (which stands off the
#   origin) checks that the wireframe lies on the model.
# Exit status: 0 all checks passed, 1 a check failed, 77 a tool or the model
# is missing. E2E_PACE (default 1) stretches every wait, for slow machines.
set -uo pipefail

if [ $# -lt 3 ]; then
  echo "usage: review_e2e.sh MESHVIEW MESHCONV OUTDIR" >&2
  exit 2
fi
model=/usr/share/assimp/models/X/anim_test.x
for tool in xvfb-run xdotool import convert compare; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
if [ ! -f "$model" ]; then
  echo "SKIP: no $model (package assimp-testmodels)"
  exit 77
fi
if [ -z "${MESHVIEW_E2E_UNDER_XVFB:-}" ]; then
  export MESHVIEW_E2E_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
export SDL_VIDEODRIVER=x11

meshview=$(realpath "$1")
meshconv=$(realpath "$2")
out=$(realpath -m "$3")
data=${4:+$(realpath "$4")}
pace=${E2E_PACE:-1}
rm -rf "$out"
mkdir -p "$out"
# The checks read exit statuses and standard error; what the GL driver leaves
# allocated at exit is not this program's (the unit tests check our own
# objects under LeakSanitizer). The command-line mode's log goes here too.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
export XDG_CACHE_HOME="$out/cache"
"$meshconv" "$model" "$out/model" >"$out/meshconv.txt" 2>&1 || { echo "FAIL meshconv"; exit 1; }
bin="$out/model/bin"
script="$bin/anim_test.txt"
# Three clips over the converted keys: two parts of the motion and the
# whole at half the key rate.
grep -v '^a ' "$script" >"$script.new"
cat >>"$script.new" <<'CLIPS'
a bend 100 { 6 9 12 15 }
a unbend 100 { 15 18 21 24 }
a whole 66 { 0 2 4 6 8 10 12 14 16 18 20 22 24 26 28 30 }
CLIPS
mv "$script.new" "$script"

failures=0
pass() { echo "PASS $1"; }
fail() {
  echo "FAIL $1: $2"
  failures=$((failures + 1))
}
pause() { sleep "$(awk -v s="$1" -v p="$pace" 'BEGIN { print s * p }')"; }

viewer=""
window=""
launch() {
  (cd "$bin" && exec "$meshview" "$@" >"$out/viewer.out" 2>"$out/viewer.err") &
  viewer=$!
  window=""
  for _ in $(seq 1 240); do
    window=$(xdotool search --name "kis bumpmappel" 2>/dev/null | head -1)
    [ -n "$window" ] && grep -q "^wall.x_out:Mloader output" "$bin/loaderlog.txt" 2>/dev/null && break
    kill -0 "$viewer" 2>/dev/null || break
    sleep 0.5
  done
  [ -n "$window" ] || { echo "FAIL the viewer did not open its window"; kill "$viewer"; exit 1; }
  xdotool windowfocus --sync "$window" mousemove --window "$window" 790 300
  pause 3
}
stop() {
  xdotool key --window "$window" Escape 2>/dev/null
  for _ in $(seq 1 40); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.5; done
  kill "$viewer" 2>/dev/null
  wait "$viewer" 2>/dev/null
}
key() {
  xdotool key --delay 150 "$@"
  pause 1
}
shot() {
  pause 0.3
  import -window "$window" "$out/$1.png"
  echo "$out/$1.png"
}
# The scene above the status line (the frame-rate line changes by itself).
SCENE=800x540+0+0
STATUS=800x20+0+548
# Pixels that differ at all between two images within GEOMETRY.
diff_px() {
  convert "$1" -crop "$3" +repage "$out/.left.png"
  convert "$2" -crop "$3" +repage "$out/.right.png"
  compare -metric AE "$out/.left.png" "$out/.right.png" null: 2>&1 | cut -d' ' -f1
}
same() { [ "$(diff_px "$1" "$2" "$3")" = "0" ]; }
differ() { [ "$(diff_px "$1" "$2" "$3")" -gt "${4:-20}" ]; }

launch
key o  # skinned models are drawn only with the shadow map shown
before=$(shot before)

key space
paused1=$(shot paused-1)
pause 1
paused2=$(shot paused-2)
# Before any review key the viewer shows nothing of the review.
text_before=$(convert "$before" -crop "$STATUS" +repage -fx 'r>0.5 && g>0.5 && b<0.3' \
  -format "%[fx:round(mean*w*h)]" info:)
if same "$paused1" "$paused2" "$SCENE" && [ "$text_before" = "0" ] &&
   differ "$before" "$paused1" "$STATUS" 5; then
  pass "Space pauses: two pictures a second apart are the same; the status line appears only now"
else
  fail "Space" "$(diff_px "$paused1" "$paused2" "$SCENE") px moved while paused, $text_before px of text before"
fi

# Steps from a key: Right and Left, Home and End, and Left from the first
# key wrapping to the last.
key Home
home=$(shot home)
key Right
right=$(shot right)
key Left
left=$(shot left)
if differ "$home" "$right" "$SCENE" && same "$home" "$left" "$SCENE"; then
  pass "Right changes the pose, Left brings it back pixel for pixel"
else
  fail "Right/Left" "Right moved $(diff_px "$home" "$right" "$SCENE") px, Left left $(diff_px "$home" "$left" "$SCENE") px"
fi

key End
end=$(shot end)
key Home
home2=$(shot home-again)
key Left
wrapped=$(shot left-from-first)
if differ "$home" "$end" "$SCENE" && same "$home" "$home2" "$SCENE" && same "$end" "$wrapped" "$SCENE"; then
  pass "Home and End go to the first and last key; Left from the first key wraps to the last"
else
  fail "Home/End" "End moved $(diff_px "$home" "$end" "$SCENE") px, Home again $(diff_px "$home" "$home2" "$SCENE") px, wrap $(diff_px "$end" "$wrapped" "$SCENE") px"
fi

# The viewer starts on its third clip (whole, first key model key 0); Page
# Up wraps to the first clip (bend, first key model key 6).
key Home
key Prior
clip=$(shot page-up)
if differ "$home" "$clip" "$SCENE" && differ "$home" "$clip" "$STATUS" 5; then
  pass "Page Up changes the clip"
else
  fail "Page Up" "$(diff_px "$home" "$clip" "$SCENE") px changed"
fi

for toggle in b w n; do
  key "$toggle"
  on=$(shot "$toggle-on")
  key "$toggle"
  off=$(shot "$toggle-off")
  if differ "$clip" "$on" "$SCENE" && same "$clip" "$off" "$SCENE"; then
    pass "${toggle^^} changes the picture and toggles back to the same picture"
  else
    fail "${toggle^^}" "on: $(diff_px "$clip" "$on" "$SCENE") px, off: $(diff_px "$clip" "$off" "$SCENE") px"
  fi
done

key b
key F12
key F12
pause 1
if [ -s "$bin/meshview-0001.png" ] && [ -s "$bin/meshview-0002.png" ] &&
   grep -q "meshview-0002.png" "$out/viewer.err" &&
   same "$bin/meshview-0001.png" "$bin/meshview-0002.png" "$SCENE"; then
  pass "F12 writes a new PNG each time and names it"
else
  fail "F12" "$(ls "$bin"/meshview-*.png 2>&1 | tr '\n' ' ') / $(tr '\n' ' ' <"$out/viewer.err")"
fi
stop

# The viewer opened on the file: --output with --animation-key draws the pose
# the window shows after Space, Home and Right three times.
"$meshview" "$bin/anim_test.x_out" --output="$out/key-3.png" --animation-key=3 \
  >"$out/output.out" 2>&1 || fail "--output" "$(cat "$out/output.out")"
(cd "$bin" && exec "$meshview" anim_test.x_out >"$out/file-viewer.out" 2>&1) &
viewer=$!
window=""
for _ in $(seq 1 240); do
  window=$(xdotool search --name "meshview - anim_test.x_out" 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 "$viewer" 2>/dev/null || break
  sleep 0.5
done
if [ -z "$window" ]; then
  fail "--animation-key" "the viewer did not open its window on the file"
else
  xdotool windowfocus --sync "$window" mousemove --window "$window" 790 300
  pause 3
  key space Home Right Right Right
  stepped=$(shot file-key-3)
  if [ -s "$out/key-3.png" ] && same "$out/key-3.png" "$stepped" "$SCENE"; then
    pass "--output with --animation-key=3 equals the window after Home and Right x3"
  else
    fail "--animation-key" "$(diff_px "$out/key-3.png" "$stepped" "$SCENE") px differ"
  fi
  stop
fi

# The wireframe covers the figure it is drawn over: the box round the pixels
# it changes is the box round the figure's blue cloth, within a few pixels.
if [ -n "$data" ] && [ -f "$data/bin/walker.x_out" ]; then
  walker=("$meshview" "$data/bin/walker.x_out" --animation-index=2 --animation-key=5)
  "${walker[@]}" --output="$out/walker.png" >/dev/null 2>&1
  "${walker[@]}" --output="$out/walker-wireframe.png" --wireframe >/dev/null 2>&1
  wire=$(convert "$out/walker.png" "$out/walker-wireframe.png" -compose difference -composite \
    -colorspace gray -threshold 3% -format "%@" info: 2>/dev/null)
  cloth=$(convert "$out/walker.png" -fx 'g>0.15 && b>r+0.15 && b>g+0.08' -format "%@" info: 2>/dev/null)
  if awk -v a="$wire" -v b="$cloth" 'BEGIN {
        split(a, p, /[x+]/); split(b, q, /[x+]/);
        dx = (p[3] + p[1] / 2) - (q[3] + q[1] / 2); dy = (p[4] + p[2] / 2) - (q[4] + q[2] / 2);
        exit !(p[1] > 20 && dx * dx < 100 && dy * dy < 100 && p[1] < q[1] * 1.2 && p[2] < q[2] * 1.2) }'; then
    pass "the wireframe lies on the figure (box $wire, cloth $cloth)"
  else
    fail "wireframe placement" "box $wire, the figure's cloth $cloth"
  fi
fi

echo "$failures check(s) failed"
[ "$failures" -eq 0 ]
