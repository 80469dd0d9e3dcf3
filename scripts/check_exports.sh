#!/bin/bash
# Checks the i686 product DLL: a 32-bit PE whose exports are all undecorated, which
# exports every name in exports.txt and imports only system DLLs and msvcrt.
# Prints "passed N, failed M" as its last line.
set -uo pipefail
dll=${1:?usage: check_exports.sh Ferrule.dll}
here=$(dirname "$0")
dump=$(i686-w64-mingw32-objdump -p "$dll") || { echo "cannot read $dll"; echo "passed 0, failed 1"; exit 1; }
passed=0 failed=0
check() { if eval "$2"; then passed=$((passed+1)); else failed=$((failed+1)); echo "FAILED: $1"; fi; }

check "32-bit PE" 'grep -q "file format pei-i386" <<<"$dump"'
names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p')
check "has exports" '[ -n "$names" ]'
while read -r n; do
  check "undecorated export $n" '[[ ! "$n" =~ @[0-9]+$ && "$n" != _* ]]'
done <<<"$names"
while read -r want; do
  [ -z "$want" ] && continue
  check "exports $want" 'grep -qx "$want" <<<"$names"'
done <"$here/exports.txt"
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
while read -r dll_name; do
  [ -z "$dll_name" ] && continue
  check "system import $dll_name" \
    'grep -qix -e kernel32.dll -e user32.dll -e gdi32.dll -e gdiplus.dll -e advapi32.dll -e shell32.dll -e ole32.dll -e comctl32.dll -e comdlg32.dll -e psapi.dll -e msvcrt.dll <<<"$dll_name"'
done <<<"$imports"
echo "passed $passed, failed $failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
