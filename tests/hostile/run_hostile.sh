#!/usr/bin/env bash
# Hostile inputs, one thing spoiled at a time on copies of the demo start
# folder: every kind of input the viewer reads (model, script, textures,
# effects, font table and image, input.txt) as a directory, a FIFO, a device,
# empty, cut short, binary garbage, huge, deeply nested and self-including;
# meshconv on files that are no model. Each run has a time and a memory
# limit and must end by itself -- status 0 or 1, never a signal or the time
# limit -- and a failure must say something on its error output.
#
# usage: run_hostile.sh MESHVIEW MESHCONV DATA OUTDIR [BUDGET_SECONDS]
#   DATA: the demo start folder tree (bin/, texture/, effect/).
#   BUDGET_SECONDS (default $HOSTILE_BUDGET, else 600): no new case starts
#   after this; the rest are reported as skipped.
# Under AddressSanitizer (HOSTILE_ASAN=1) the address-space limit is replaced
# by the sanitizer's own resident-memory limit, which it needs to map its shadow.
set -uo pipefail

if [ $# -lt 4 ]; then
  echo "usage: run_hostile.sh MESHVIEW MESHCONV DATA OUTDIR [BUDGET_SECONDS]" >&2
  exit 2
fi
meshview=$(realpath "$1")
meshconv=$(realpath "$2")
data=$(realpath "$3")
out=$(realpath -m "$4")
budget=${5:-${HOSTILE_BUDGET:-600}}
limit_seconds=60
limit_kb=$((3 * 1024 * 1024))  # 3 GiB of address space
start=$SECONDS
rm -rf "$out"
mkdir -p "$out"

unset DISPLAY WAYLAND_DISPLAY
if [ "${HOSTILE_ASAN:-0}" = 1 ]; then
  export ASAN_OPTIONS="hard_rss_limit_mb=3072:detect_leaks=0:${ASAN_OPTIONS:-}"
fi

failures=0
skipped=0
passed=0

# Runs a command with the limits; sets status and writes OUT/NAME.err/.out.
limited() {
  local name=$1
  shift
  (
    if [ "${HOSTILE_ASAN:-0}" != 1 ]; then ulimit -v "$limit_kb"; fi
    exec timeout -k 5 "$limit_seconds" "$@"
  ) >"$out/$name.out" 2>"$out/$name.err" </dev/null
  status=$?
}

# A run passes when it ended by itself with 0 or 1 and, when it failed, said so.
judge() {
  local name=$1 log=$2
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "FAIL $name: did not end within ${limit_seconds}s"
    failures=$((failures + 1))
  elif [ "$status" -gt 1 ]; then
    echo "FAIL $name: status $status: $(head -3 "$out/$name.err")"
    failures=$((failures + 1))
  elif [ "$status" -eq 1 ] && [ ! -s "$out/$name.err" ] && ! grep -q "<error>" "$log" 2>/dev/null; then
    echo "FAIL $name: status 1 without a line saying why"
    failures=$((failures + 1))
  else
    echo "PASS $name: status $status $(grep -h -m1 -e '<error>' -e '<info> texture' "$log" "$out/$name.err" 2>/dev/null | head -1)"
    passed=$((passed + 1))
  fi
}

over_budget() {
  if [ $((SECONDS - start)) -ge "$budget" ]; then
    skipped=$((skipped + 1))
    return 0
  fi
  return 1
}

# ---- spoilers: each replaces the file at $1 -----------------------------

as_directory() { rm -f "$1" && mkdir "$1"; }
as_fifo() { rm -f "$1" && mkfifo "$1"; }
as_device() { rm -f "$1" && ln -s /dev/zero "$1"; }
as_empty() { : >"$1"; }
as_cut() { local size; size=$(stat -c %s "$1"); truncate -s $((size / 3)) "$1"; }
as_garbage() { head -c 65536 /dev/urandom >"$1"; }
as_huge() { rm -f "$1" && truncate -s 3G "$1"; }
as_nested() { { printf 'float4 v = '; head -c 100000 /dev/zero | tr '\0' '{'; } >"$1"; }
as_self_including() { printf '#include "%s"\n' "$(basename "$1")" >"$1"; }
as_bomb() {
  # A PNG header declaring 16384 x 16384 pixels.
  printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x40\x00\x00\x00\x40\x00\x08\x06\x00\x00\x00\x00\x00\x00\x00' >"$1"
}

# ---- the viewer ---------------------------------------------------------

# The command-line mode renders bin/walker.x_out once into an image and ends.
viewer_case() {
  local name=$1 target=$2 spoil=$3
  over_budget && return
  local session="$out/$name"
  cp -r "$data" "$session"
  "$spoil" "$session/$target"
  limited "$name" "$meshview" --output="$session/shot.png" --resolution=200,150 "$session/bin/walker.x_out"
  judge "$name" "$session/bin/loaderlog.txt"
  rm -rf "$session"
}

targets=(bin/walker.x_out bin/walker.txt texture/walker.bmp texture/walker_normal.bmp
  effect/skinned.fx effect/shadow_volume.fx bin/font.fnd bin/font.bmp)
for target in "${targets[@]}"; do
  for spoil in as_directory as_fifo as_device as_empty as_cut as_garbage as_huge; do
    viewer_case "$(echo "$target" | tr '/.' '__')-${spoil#as_}" "$target" "$spoil"
  done
done
viewer_case effect-nested effect/skinned.fx as_nested
viewer_case effect-self-including effect/skinned.fx as_self_including
viewer_case include-nested effect/skinning.fxh as_nested
viewer_case include-fifo effect/skinning.fxh as_fifo
viewer_case texture-bomb texture/walker.bmp as_bomb

# ---- the no-argument mode: input.txt and the start folder ----------------

# The specified viewer runs until it is closed; here it must get through its
# set-up (the wall's load line) with whatever loaded, within the time limit.
start_folder_case() {
  local name=$1 target=$2 spoil=$3
  over_budget && return
  local session="$out/$name"
  cp -r "$data" "$session"
  "$spoil" "$session/$target"
  (cd "$session/bin" && if [ "${HOSTILE_ASAN:-0}" != 1 ]; then ulimit -v "$limit_kb"; fi &&
    exec "$meshview") >"$out/$name.out" 2>"$out/$name.err" </dev/null &
  local viewer=$! waited=0
  while kill -0 "$viewer" 2>/dev/null && ! grep -q "^wall.x_out:Mloader output" "$session/bin/loaderlog.txt" 2>/dev/null; do
    sleep 0.5
    waited=$((waited + 1))
    [ "$waited" -ge $((limit_seconds * 2)) ] && break
  done
  if kill -0 "$viewer" 2>/dev/null; then
    if grep -q "^wall.x_out:Mloader output" "$session/bin/loaderlog.txt" 2>/dev/null; then
      kill "$viewer"
      wait "$viewer" 2>/dev/null
      echo "PASS $name: set up and ran $(grep -m1 '<error>' "$session/bin/loaderlog.txt")"
      passed=$((passed + 1))
    else
      kill -9 "$viewer"
      wait "$viewer" 2>/dev/null
      echo "FAIL $name: no set-up within ${limit_seconds}s"
      failures=$((failures + 1))
    fi
  else
    wait "$viewer"
    status=$?
    judge "$name" "$session/bin/loaderlog.txt"
  fi
  rm -rf "$session"
}
for spoil in as_directory as_fifo as_device as_empty as_garbage as_huge; do
  start_folder_case "input_txt-${spoil#as_}" bin/input.txt "$spoil"
done
start_folder_case "start-model-fifo" bin/walker.x_out as_fifo
start_folder_case "start-wall-fifo" bin/wall.x_out as_fifo
start_folder_case "start-effect-nested" effect/skinned.fx as_nested

# ---- meshconv -----------------------------------------------------------

meshconv_case() {
  local name=$1 input=$2
  over_budget && return
  limited "$name" "$meshconv" "$input" "$out/$name-out"
  judge "$name" /dev/null
  rm -rf "$out/$name-out"
}
mkdir -p "$out/inputs/folder.fbx"
mkfifo "$out/inputs/pipe.obj"
head -c 65536 /dev/urandom >"$out/inputs/garbage.fbx"
: >"$out/inputs/empty.obj"
printf 'o x\nv 1 2 3\nf 1 1 1 1 1\n' >"$out/inputs/tiny.obj"
# A model whose material names a FIFO and a device as its textures.
mkfifo "$out/inputs/pipe.png"
printf 'mtllib textured.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nusemtl a\nf 1/1 2/2 3/3\n' \
  >"$out/inputs/textured.obj"
printf 'newmtl a\nmap_Kd pipe.png\nmap_Bump /dev/zero\n' >"$out/inputs/textured.mtl"
for input in folder.fbx pipe.obj garbage.fbx empty.obj textured.obj; do
  meshconv_case "meshconv-${input//./_}" "$out/inputs/$input"
done
meshconv_case meshconv-device /dev/zero
for model in /usr/share/assimp/models/invalid/*; do
  [ -f "$model" ] && meshconv_case "meshconv-invalid-$(basename "$model" | tr '.' '_')" "$model"
done

echo "hostile: $passed passed, $failures failed, $skipped skipped (over the ${budget}s budget)"
[ "$failures" -eq 0 ]
