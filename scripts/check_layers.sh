#!/bin/bash
# Prints which folder includes which (with the number of includes) and fails when an
# include points up the layers: each folder may include only itself and the folders
# listed for it below, which are the layers beneath it. --quiet prints only faults.
set -euo pipefail
cd "$(dirname "$0")/.."
quiet=${1:-}

declare -A allowed=(
  [avs]=""
  [framework]=""
  [gfx]=""
  [platform]="gfx"
  [warp]="gfx"
  [channels]="avs framework gfx"
  [overlay]="avs framework gfx platform warp channels"
  [items]="avs framework gfx platform warp channels"
  [loader]="avs platform"
  [resources]=""
  [editwnd]="avs framework gfx platform warp channels overlay items resources"
  [plugin]="avs framework gfx platform warp channels overlay items loader editwnd resources"
  [fserver]="avs"
  [tools]="avs framework gfx platform warp channels overlay items loader editwnd plugin fserver"
  [include]=""
  [kit]="avs framework gfx platform warp channels overlay items loader editwnd plugin resources include"
)

faults=0
declare -A edges=()
for from in "${!allowed[@]}"; do
  [ -d "$from" ] || continue
  while IFS=: read -r file _ target; do
    to=${target%%/*}
    [ "$to" = "$from" ] && continue
    [ -d "$to" ] || continue  # a system header or a path relative to the file
    edges["$from -> $to"]=$(( ${edges["$from -> $to"]:-0} + 1 ))
    if [[ " ${allowed[$from]} " != *" $to "* ]]; then
      echo "check_layers: $file includes $target: $from/ may not include $to/" >&2
      faults=$((faults + 1))
    fi
  done < <(grep -rHnoE '^#include "[^"]+"' "$from" --include='*.h' --include='*.c' --include='*.cpp' | sed -E 's/#include "([^"]+)"/\1/')
done

if [ "$quiet" != --quiet ]; then
  for e in "${!edges[@]}"; do printf '%-24s %4d\n' "$e" "${edges[$e]}"; done | sort
  if [ "$faults" -eq 0 ]; then echo "passed 1, failed 0"; else echo "passed 0, failed 1"; fi
fi
[ "$faults" -eq 0 ]
