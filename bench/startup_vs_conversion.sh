#!/usr/bin/env bash
# How much converting a model in memory adds to the viewer's start-up, in one
# run: the median time of the in-memory conversion (import_bench) against the
# median time from starting the viewer on meshconv's files to its first saved
# frame (headless, SDL offscreen driver), for three real models.
#
# usage: bench/startup_vs_conversion.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(realpath "${1:-build/default}")
runs=${2:-5}
models=("FBX/animation_with_skeleton.fbx" "Collada/duck.dae" "MDL/MDL (HL1)/man.mdl")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

# Milliseconds from the viewer's start on the model in folder $1 to its first
# frame written (--output; the start-folder viewer does not run without a
# display).
startup_ms() {
  local shot="$work/shot.png"
  rm -f "$shot"
  local start end model
  model=$(ls "$1"/*.x_out | grep -v '/wall.x_out$' | head -1)
  start=$(date +%s%N)
  "$build/app/meshview" --output="$shot" "$model" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  [ -s "$shot" ] || { echo "no frame from $1" >&2; return 1; }
  echo $(((end - start) / 1000000))
}

conversion=$("$build/bench/import_bench" --benchmark_filter=convertInMemory \
  --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
  --benchmark_format=csv 2>/dev/null | grep _median)

printf "%-34s %14s %16s %8s\n" model "convert (ms)" "start-up (ms)" share
for i in "${!models[@]}"; do
  model=${models[$i]}
  out="$work/m$i"
  "$build/tools/meshconv/meshconv" "/usr/share/assimp/models/$model" "$out" --no-check >/dev/null
  startup=$(for _ in $(seq 1 "$runs"); do startup_ms "$out/bin"; done | median)
  # csv: name,iterations,real_time,cpu_time,...
  convert=$(echo "$conversion" | grep "convertInMemoryBench/${i}_median" | cut -d, -f3)
  share=$(awk -v c="$convert" -v s="$startup" 'BEGIN {printf "%.1f%%", 100 * c / s}')
  printf "%-34s %14.1f %16s %8s\n" "$model" "$convert" "$startup" "$share"
done
