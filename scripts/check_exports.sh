#!/bin/bash
# Checks the i686 product DLL: a 32-bit PE whose exports are all undecorated, which
# exports every name in exports.txt, imports only system DLLs and msvcrt, and carries
# the edit window's resources (menu 1010, cursor 1002, the toolbar's strings, the
# "Pick Color" dialog 1001).
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
# The resources, read back from the DLL by the resource compiler.
check "has a .rsrc section" 'i686-w64-mingw32-objdump -h "$dll" | grep -q " \.rsrc "'
rc=$(i686-w64-mingw32-windres -i "$dll" -O rc 2>&1)
menu=$(sed -n '/^1010 MENU/,/^END$/p' <<<"$rc" | tail -n +2)
want_menu='BEGIN
  POPUP "Edit"
  BEGIN
    MENUITEM "Rotate 180 Degree", 32027
    MENUITEM "Rotate 90 Degree CW", 32028
    MENUITEM "Rotate 90 Degree CCW", 32029
    MENUITEM SEPARATOR
    MENUITEM "Enlarge to Full Screen", 32030
    MENUITEM "Enlarge to Full Screen(Keep Aspect)", 32031
  END
END'
check "menu 1010 holds the rotate and enlarge entries" '[ "$menu" = "$want_menu" ]'
group=$(sed -n '/^1002 12 /,/^END$/p' <<<"$rc")
check "cursor 1002 is one 32 x 32 monochrome image" \
  'grep -q "Having 1 items" <<<"$group" && grep -q "^    32, 64, 1, 1, " <<<"$group"'
check "cursor hot spot at the centre" 'grep -q "Hotspot x: 16, y: 16\." <<<"$rc"'
dialog=$(sed -n '/^1001 DIALOG/,/^END$/p' <<<"$rc")
check "dialog 1001 is \"Pick Color\"" 'grep -qx "CAPTION \"Pick Color\"" <<<"$dialog"'
# windres writes class names in capitals; window classes match regardless of case.
check "dialog 1001 control 1000 is the colour pick button" \
  'grep -qix "  CONTROL \"\", 1000, \"FerruleColorPickButton\", .*" <<<"$dialog"'
check "dialog 1001 has OK and Cancel" \
  'grep -qx "  DEFPUSHBUTTON \"OK\", 1, .*" <<<"$dialog" && grep -qx "  PUSHBUTTON \"Cancel\", 2, .*" <<<"$dialog"'
while read -r want; do
  check "string $want" 'grep -qxF "  $want" <<<"$rc"'
done <<'EOF'
32001, "Clip Opaque\nClip Opaque"
32002, "Mask Color\nMask Color"
32003, "Frame Color\nFrame Color"
32004, "Frame Width\nFrame Width"
32005, "Frame Opaque\nFrame Opaque"
32006, "Undo\nUndo"
32007, "Redo\nRedo"
32010, "Close\nClose"
EOF
echo "passed $passed, failed $failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
