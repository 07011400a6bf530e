#!/usr/bin/env bash
# Converts a real model with meshconv, starts meshview on the result from its
# start folder under Xvfb, presses O (skinned models are drawn only then),
# waits for the viewer's screenshot, ends it with Escape and checks that the
# viewer's log holds no "<error> " line.
#
# usage: view_converted.sh MESHCONV MESHVIEW [MODEL] [SCREENSHOT.png]
#   MODEL defaults to assimp's X/anim_test.x; the screenshot is kept when a
#   path is given.
set -euo pipefail
meshconv=$(realpath "$1")
meshview=$(realpath "$2")
model=${3:-/usr/share/assimp/models/X/anim_test.x}
keep=${4:-}

if [ ! -f "$model" ]; then
  echo "view_converted: no model $model (package assimp-testmodels); skipped"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$meshconv" "$model" "$work/out"

shot="$work/view.png"
export MESHVIEW_SCREENSHOT="$shot" MESHVIEW_SCREENSHOT_AFTER_MS=3000
# A real X window on the virtual server, whatever driver the test run chose.
export SDL_VIDEODRIVER=x11
status=0
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  cd "$1/bin"
  "$2" & viewer=$!
  window=""
  for _ in $(seq 1 120); do
    window=$(xdotool search --name "kis bumpmappel" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$viewer" 2>/dev/null || break
    sleep 0.5
  done
  [ -n "$window" ] && xdotool windowfocus --sync "$window" key o
  for _ in $(seq 1 120); do
    [ -s "$MESHVIEW_SCREENSHOT" ] && break
    kill -0 "$viewer" 2>/dev/null || break
    sleep 0.5
  done
  [ -n "$window" ] && xdotool windowfocus --sync "$window" key Escape 2>/dev/null
  ( sleep 30; kill "$viewer" 2>/dev/null ) & watchdog=$!
  status=0
  wait "$viewer" || status=$?
  kill "$watchdog" 2>/dev/null
  exit "$status"
' view-converted "$work/out" "$meshview" || status=$?

log="$work/out/bin/loaderlog.txt"
failed=0
# The viewer ends a normal run with status 1.
if [ "$status" -ne 1 ]; then
  echo "view_converted: meshview ended with status $status" >&2
  failed=1
fi
if [ ! -s "$shot" ]; then
  echo "view_converted: meshview saved no screenshot" >&2
  failed=1
elif [ -n "$keep" ]; then
  cp "$shot" "$keep"
fi
if [ ! -f "$log" ]; then
  echo "view_converted: meshview wrote no log" >&2
  failed=1
elif grep -q "^<error> " "$log"; then
  echo "view_converted: the viewer's log has error lines:" >&2
  grep "^<error> " "$log" >&2
  failed=1
fi
[ "$failed" -eq 0 ] && echo "view_converted: $(basename "$model") shown without errors"
exit "$failed"
