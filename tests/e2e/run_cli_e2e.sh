#!/usr/bin/env bash
# End-to-end checks of `meshview [options] FILE`: images written with
# --output and no display, compared with stored baselines; the animation
# time; files that cannot be shown; and, in a real window under a virtual X
# server, the title, F5 and --watch on an edited and a broken effect.
#
# usage: run_cli_e2e.sh MESHVIEW DATA_DIR BASELINE_DIR OUTDIR
#   DATA_DIR: the program's data folder (the demo's walker is taken from it).
#   MESHVIEW_UPDATE_BASELINES=1 writes the baselines instead of comparing.
# Every image made is kept in OUTDIR; a baseline that differs leaves
# NAME-diff.png there too.
# Exit status: 0 all checks passed, 1 a check failed, 77 a tool is missing.
set -uo pipefail

if [ $# -lt 4 ]; then
  echo "usage: run_cli_e2e.sh MESHVIEW DATA_DIR BASELINE_DIR OUTDIR" >&2
  exit 2
fi
for tool in xvfb-run xdotool import convert compare timeout; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

meshview=$(realpath "$1")
data=$(realpath "$2")
baselines=$(realpath -m "$3")
out=$(realpath -m "$4")
models=/usr/share/assimp/models
rm -rf "$out"
mkdir -p "$out"
export XDG_CACHE_HOME="$out/cache"
# Under the sanitizer build the checks count the lines on standard error and
# read exit statuses; what the GL driver leaves allocated at exit is not this
# program's (the unit tests check our own objects under LeakSanitizer).
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"

failures=0
pass() { echo "PASS $1"; }
fail() {
  echo "FAIL $1: $2"
  failures=$((failures + 1))
}

# Pixels that differ by more than the fuzz between two images.
diff_px() { compare -metric AE -fuzz 3% "$1" "$2" "${3:-null:}" 2>&1 | cut -d' ' -f1; }
count_px() {
  convert "$1" -crop "$2" +repage -fx "$3" -format "%[fx:round(mean*w*h)]" info:
}
HUD_YELLOW='r>0.5 && g>0.5 && b<0.3'
CLOTH='g>0.15 && b>r+0.15 && b>g+0.08'

# ---- images without a display -----------------------------------------

# Renders FILE at 400 x 300 into OUTDIR/NAME.png with no display at all.
render() {
  local name=$1 file=$2
  shift 2
  env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$meshview" --resolution=400,300 \
    --output="$out/$name.png" "$@" "$file" 2>"$out/$name.err"
}

check_baseline() {
  local name=$1 file=$2
  shift 2
  if [ ! -f "$file" ]; then
    echo "SKIP $name: no $file (package assimp-testmodels)"
    return
  fi
  if ! render "$name" "$file" "$@" || [ ! -s "$out/$name.png" ]; then
    fail "$name" "no image written ($(head -1 "$out/$name.err"))"
    return
  fi
  if [ -n "${MESHVIEW_UPDATE_BASELINES:-}" ]; then
    mkdir -p "$baselines"
    cp "$out/$name.png" "$baselines/$name.png"
    echo "WROTE $baselines/$name.png"
    return
  fi
  local differing
  differing=$(diff_px "$baselines/$name.png" "$out/$name.png" "$out/$name-diff.png")
  # 0.5 % of the image: rasteriser rounding, not a changed picture.
  if [ "$differing" -le 600 ] 2>/dev/null; then
    pass "$name matches its baseline ($differing px differ)"
    rm -f "$out/$name-diff.png"
  else
    fail "$name" "$differing px differ from $baselines/$name.png (see $out/$name-diff.png)"
  fi
}

check_baseline demo-walker "$data/bin/walker.x_out" --animation-time=0.5
check_baseline demo-walker-shadow-map-pcf "$data/bin/walker.x_out" --animation-index=2 \
  --animation-time=1 --shadow-map --pcf
check_baseline skinned-x "$models/X/BCN_Epileptic.X" --animation-time=0.5
check_baseline static-collada "$models/Collada/duck.dae"
check_baseline static-ms3d "$models/MS3D/jeep1.ms3d"
# Three materials: a green, a lavender and a textured teapot.
check_baseline multi-material "$models/Collada/teapots.DAE"
# Over 65,535 indices: drawn from six model files at once.
check_baseline parts-gltf "$models/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb"

# Each material keeps its own colour: the green and the lavender teapot are
# both in the picture (one material for all would leave one colour).
check_material_colours() {
  local name="multi-material: each material shows its own colour" image="$out/multi-material.png"
  [ -f "$image" ] || return
  local green lavender
  green=$(count_px "$image" 150x80+180+110 'g>r+0.15 && g>b+0.15')
  lavender=$(count_px "$image" 150x80+180+110 'b>r+0.06 && b>g+0.06 && r>0.12 && g>0.12')
  if [ "$green" -gt 300 ] && [ "$lavender" -gt 40 ]; then
    pass "$name ($green green, $lavender lavender px)"
  else
    fail "$name" "$green green and $lavender lavender px"
  fi
}
check_material_colours

check_animation_time() {
  local name="--animation-time: two times differ, one time twice is the same image"
  render time-a "$data/bin/walker.x_out" --animation-index=2 --animation-time=0.3
  render time-b "$data/bin/walker.x_out" --animation-index=2 --animation-time=1.1
  render time-b-again "$data/bin/walker.x_out" --animation-index=2 --animation-time=1.1
  local differ same
  differ=$(compare -metric AE "$out/time-a.png" "$out/time-b.png" null: 2>&1 | cut -d' ' -f1)
  same=$(compare -metric AE "$out/time-b.png" "$out/time-b-again.png" null: 2>&1 | cut -d' ' -f1)
  if [ "$differ" -gt 500 ] 2>/dev/null && [ "$same" = "0" ]; then
    pass "$name"
  else
    fail "$name" "0.3 s against 1.1 s: $differ px differ; 1.1 s twice: $same px differ"
  fi
}
check_animation_time

# ---- files that cannot be shown ---------------------------------------

bad="$out/bad"
mkdir -p "$bad/folder.fbx"
: >"$bad/empty.x_out"
echo "just some text" >"$bad/notes.txt"
head -c 400 "$data/bin/walker.x_out" >"$bad/cut.x_out"
cp "$data/bin/walker.txt" "$bad/cut.txt"

check_bad_file() {
  local file=$1 says=$2 status
  env -u DISPLAY timeout 30 "$meshview" --output="$out/never.png" "$file" \
    >"$out/bad.out" 2>"$out/bad.err"
  status=$?
  local lines
  lines=$(wc -l <"$out/bad.err")
  if [ "$status" -eq 1 ] && [ "$lines" -eq 1 ] && grep -q -F "$file" "$out/bad.err" &&
    grep -q -i -- "$says" "$out/bad.err" && [ ! -e "$out/never.png" ]; then
    pass "$(basename "$file"): status 1, one line: $(cat "$out/bad.err")"
  else
    fail "$(basename "$file")" "status $status, $lines line(s): $(head -3 "$out/bad.err")"
  fi
}
check_bad_file "$bad/missing.x_out" "not found"
check_bad_file "$bad/folder.fbx" "directory"
check_bad_file "$bad/empty.x_out" "empty"
check_bad_file "$bad/notes.txt" "reader"
check_bad_file "$bad/cut.x_out" "not loaded"

check_usage() {
  local name="an animation index out of range is a usage error listing the clips"
  env -u DISPLAY timeout 30 "$meshview" --output="$out/never.png" --animation-index=5 \
    "$data/bin/walker.x_out" 2>"$out/usage.err"
  local status=$?
  if [ "$status" -eq 2 ] && grep -q "0 idle, 1 wave, 2 walk" "$out/usage.err"; then
    pass "$name"
  else
    fail "$name" "status $status: $(head -2 "$out/usage.err")"
  fi
}
check_usage

# ---- a real window ----------------------------------------------------

# The walker in a folder of its own with copies of the effects, so that they
# can be edited while the viewer watches.
live="$out/live"
mkdir -p "$live"
cp -r "$data/bin" "$data/texture" "$data/effect" "$live/"

cat >"$out/window.sh" <<'WINDOW'
#!/usr/bin/env bash
# Runs under xvfb-run: the viewer with --watch on the live copy.
set -uo pipefail
meshview=$1 live=$2 out=$3
export SDL_VIDEODRIVER=x11
"$meshview" --watch "$live/bin/walker.x_out" >"$out/window.out" 2>"$out/window.err" &
viewer=$!
window=""
for _ in $(seq 1 120); do
  window=$(xdotool search --name "^meshview - walker.x_out$" 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 "$viewer" 2>/dev/null || break
  sleep 0.25
done
echo "window=$window"
[ -n "$window" ] || exit 1
count_px() {
  convert "$1" -crop "$2" +repage -fx "$3" -format "%[fx:round(mean*w*h)]" info:
}
HUD_YELLOW='r>0.5 && g>0.5 && b<0.3'
CLOTH='g>0.15 && b>r+0.15 && b>g+0.08'
# Takes screenshots until TEST (a shell condition on $n, the count of COLOUR
# pixels in GEOMETRY) holds, for at most 30 s; the last one is kept.
shot_until() {
  local name=$1 geometry=$2 colour=$3 test=$4 n
  for _ in $(seq 1 60); do
    import -window "$window" "$out/window-$name.png"
    n=$(count_px "$out/window-$name.png" "$geometry" "$colour")
    eval "$test" && return 0
    sleep 0.5
  done
  return 1
}
# The first frames: the help lines drawn and the blue figure in view.
shot_until start 220x80+0+0 "$HUD_YELLOW" '[ "$n" -gt 300 ]'
shot_until start 400x450+400+100 "$CLOTH" '[ "$n" -gt 2000 ]'
# An edit to an included file: the lit colour's channels swapped.
sed -i 's/return float4(color.rgb \* (AMBIENT/return float4(color.bgr * (AMBIENT/' \
  "$live/effect/model_passes.fxh"
shot_until edited 400x450+400+100 "$CLOTH" '[ "$n" -lt 100 ]'
# A broken effect: the previous one keeps running, the message shows below
# the five help lines.
printf '\nthis line is not HLSL\n' >>"$live/effect/skinned.fx"
shot_until broken 700x16+0+80 "$HUD_YELLOW" '[ "$n" -gt 100 ]'
alive=0
kill -0 "$viewer" 2>/dev/null && alive=1
echo "alive-after-broken=$alive"
# Mended again.
sed -i '/this line is not HLSL/d' "$live/effect/skinned.fx"
shot_until mended 700x16+0+80 "$HUD_YELLOW" '[ "$n" -lt 20 ]'
# F5 loads everything again.
xdotool windowfocus --sync "$window" key F5 2>/dev/null
sleep 2
import -window "$window" "$out/window-f5.png"
xdotool windowfocus --sync "$window" key Escape 2>/dev/null
( sleep 20; kill "$viewer" 2>/dev/null ) & watchdog=$!
wait "$viewer"
echo "status=$?"
kill "$watchdog" 2>/dev/null
WINDOW
chmod +x "$out/window.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$out/window.sh" "$meshview" "$live" "$out" \
  >"$out/window.txt" 2>&1

check_window() {
  local name="the window: title names the file, Escape ends it with status 0"
  if grep -q "^window=[0-9]" "$out/window.txt" && grep -q "^status=0" "$out/window.txt"; then
    pass "$name"
  else
    fail "$name" "$(tr '\n' ' ' <"$out/window.txt") $(head -2 "$out/window.err")"
  fi
}
check_window

check_watch() {
  local start="$out/window-start.png" edited="$out/window-edited.png"
  local broken="$out/window-broken.png" mended="$out/window-mended.png"
  local cloth_start cloth_edited
  cloth_start=$(count_px "$start" 400x450+400+100 "$CLOTH")
  cloth_edited=$(count_px "$edited" 400x450+400+100 "$CLOTH")
  if [ "$cloth_start" -gt 2000 ] && [ "$cloth_edited" -lt $((cloth_start / 4)) ]; then
    pass "--watch: an edited include is picked up (blue cloth $cloth_start -> $cloth_edited px)"
  else
    fail "--watch picks up an edit" "blue cloth $cloth_start -> $cloth_edited px"
  fi
  # The notice sits on the first row below the five help lines.
  local notice_before notice_broken notice_mended same
  notice_before=$(count_px "$edited" 700x16+0+80 "$HUD_YELLOW")
  notice_broken=$(count_px "$broken" 700x16+0+80 "$HUD_YELLOW")
  notice_mended=$(count_px "$mended" 700x16+0+80 "$HUD_YELLOW")
  convert "$edited" -crop 400x300+400+150 +repage "$out/.edited-model.png"
  convert "$broken" -crop 400x300+400+150 +repage "$out/.broken-model.png"
  same=$(diff_px "$out/.edited-model.png" "$out/.broken-model.png")
  # The edited effect still runs: no blue cloth, and the picture differs from
  # the edited one only by the idle animation's small moves (a figure that
  # was no longer drawn would take its shadow with it, far more pixels).
  local cloth_broken
  cloth_broken=$(count_px "$broken" 400x450+400+100 "$CLOTH")
  if grep -q "alive-after-broken=1" "$out/window.txt" && [ "$notice_before" -lt 20 ] &&
    [ "$notice_broken" -gt 100 ] && [ "$notice_mended" -lt 20 ] &&
    [ "$cloth_broken" -lt 100 ] && [ "$same" -lt 7000 ] 2>/dev/null; then
    pass "--watch: a broken effect keeps the previous one and shows its message until mended"
  else
    fail "--watch survives a broken effect" "alive: $(grep alive "$out/window.txt"), notice px \
$notice_before / $notice_broken / $notice_mended, model area changed by $same px, cloth $cloth_broken"
  fi
  if grep -q "skinned.fx" "$out/window.err"; then
    pass "the compiler's message names the effect file on standard error"
  else
    fail "the compiler's message" "$(head -3 "$out/window.err")"
  fi
}
check_watch

echo "images and logs in $out"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
exit 0
