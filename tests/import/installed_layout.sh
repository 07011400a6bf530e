#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that the data folder holds
# the wall, the bitmap font and the shipped effects, that the installed
# meshconv converts a model with the effects of PREFIX/share/meshview (its own
# data folder, not the build tree's) and that the installed meshview opens the
# model directly and writes a frame.
#
# usage: installed_layout.sh BUILD_DIR [MODEL]
set -euo pipefail
build=$(realpath "$1")
model=${2:-/usr/share/assimp/models/X/anim_test.x}
if [ ! -f "$model" ]; then
  echo "installed_layout: no model $model (package assimp-testmodels); skipped"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.txt"

fail() { echo "FAIL: $*"; exit 1; }
for file in bin/meshview bin/meshconv share/meshview/bin/wall.x_out share/meshview/bin/wall.txt \
  share/meshview/bin/font.bmp share/meshview/bin/font.fnd share/meshview/texture/wall.bmp \
  share/meshview/effect/skinned.fx share/meshview/effect/static.fx; do
  [ -s "$prefix/$file" ] || fail "the install has no $file"
done

# Run from elsewhere, so nothing relative to the working directory helps.
cd "$work"
env -u MESHVIEW_DATA_DIR "$prefix/bin/meshconv" "$model" "$work/out" --progress >"$work/out.txt" 2>&1 ||
  { cat "$work/out.txt"; fail "the installed meshconv failed"; }
grep -q "shipped effects from $prefix/share/meshview/effect/" "$work/out.txt" ||
  { cat "$work/out.txt"; fail "the installed meshconv did not use its installed effects"; }
[ -s "$work/out/bin/wall.x_out" ] && [ -s "$work/out/effect/skinned.fx" ] ||
  fail "the converted folder lacks the wall or the effects"
# The installed viewer opens a model directly and writes one frame, no display needed.
if [ -x "$prefix/bin/meshview" ]; then
  status=0
  env -u MESHVIEW_DATA_DIR timeout 120 "$prefix/bin/meshview" --output="$work/frame.png" "$model" \
    >"$work/view.txt" 2>&1 || status=$?
  [ "$status" -eq 0 ] && [ -s "$work/frame.png" ] ||
    { cat "$work/view.txt"; fail "the installed meshview did not write a frame (status $status)"; }
fi
echo "installed_layout: ok"
