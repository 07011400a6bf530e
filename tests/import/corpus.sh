#!/usr/bin/env bash
# Runs meshconv over every file of a model folder whose extension the
# importer reads, each under a time limit, and counts the outcomes:
# converted, refused (by the reason meshconv printed) and failed (a crash, a
# run past the limit, or an exit without a reason line).
#   corpus.sh MESHCONV MODELDIR [SECONDS_PER_FILE] [EVERY_NTH]
# EVERY_NTH > 1 takes only every n-th file (a quicker subset for CI).
# Exit status 1 when any file failed.
set -uo pipefail
meshconv=$1
models=$2
limit=${3:-60}
every=${4:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

extensions=$("$meshconv" --formats | tr ';' '\n' | sed -n 's/^\*\.//p' | tr 'A-Z' 'a-z')
declare -A readable=()
for e in $extensions; do readable[$e]=1; done

converted=0 failed=0 total=0 index=0
declare -A refused=()
while IFS= read -r -d '' file; do
  name=${file##*/}
  ext=${name##*.}
  ext=${ext,,}
  [[ -n "${readable[$ext]:-}" ]] || continue
  index=$((index + 1))
  (( (index - 1) % every == 0 )) || continue
  total=$((total + 1))
  timeout -k 5 "$limit" "$meshconv" "$file" "$work/out" >"$work/stdout" 2>"$work/stderr"
  status=$?
  rm -rf "$work/out"
  if [[ $status -eq 0 ]]; then
    converted=$((converted + 1))
    [[ -n "${CORPUS_VERBOSE:-}" ]] && echo "converted: $file" >&2
  elif [[ $status -eq 1 ]] && grep -q '^meshconv: ' "$work/stderr"; then
    # The reason without the file's own path and numbers.
    reason=$(grep -m1 '^meshconv: ' "$work/stderr" | sed -e "s|$file||g" -e 's/^meshconv: //' \
      -e 's/^cannot read : assimp cannot read it: .*/assimp cannot read it/' -e 's/[0-9][0-9,.]*/N/g' \
      -e 's/^: //' | cut -c1-90)
    refused[$reason]=$(( ${refused[$reason]:-0} + 1 ))
    [[ -n "${CORPUS_VERBOSE:-}" ]] && echo "refused: $reason: $file" >&2
  else
    failed=$((failed + 1))
    echo "FAILED ($status): $file" >&2
    tail -n 3 "$work/stderr" >&2
  fi
done < <(find "$models" -type f -print0 | sort -z)

refusedTotal=0
for r in "${!refused[@]}"; do refusedTotal=$((refusedTotal + refused[$r])); done
echo "files: $total, converted: $converted, refused: $refusedTotal, failed: $failed"
for r in "${!refused[@]}"; do printf '  %4d  %s\n' "${refused[$r]}" "$r"; done | sort -rn
[[ $failed -eq 0 ]]
