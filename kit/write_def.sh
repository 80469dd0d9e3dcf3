#!/bin/bash
# Turns the exports the linker made ("Name = Name@N @ordinal") into Ferrule.def: each
# stdcall export under its decorated name, which the import libraries (built with
# --kill-at) map to the plain name the DLL exports.
set -euo pipefail
in=${1:?usage: write_def.sh linker.def Ferrule.def} out=${2:?}
{
  echo 'LIBRARY "Ferrule.dll"'
  echo 'EXPORTS'
  sed -nE 's/^\s*([A-Za-z_][A-Za-z0-9_]*) = \1(@[0-9]+) @[0-9]+$/    \1\2/p' "$in"
} >"$out.tmp"
# Every export must be a stdcall one; anything else would reach hosts undecorated.
if [ "$(grep -c ' = ' "$in")" != "$(grep -c '^    ' "$out.tmp")" ]; then
  echo "write_def.sh: $in has exports that are not stdcall:" >&2
  grep ' = ' "$in" | grep -vE '= [A-Za-z0-9_]+@[0-9]+ @' >&2
  rm -f "$out.tmp"
  exit 1
fi
mv "$out.tmp" "$out"
