#!/bin/bash
# Checks the i686 product DLL: a 32-bit PE whose exports are all undecorated, which
# exports every name in exports.txt, imports only system DLLs and msvcrt, ships stripped
# (under 1 MB, its DWARF in Ferrule.dll.debug through a debug link), has the host's .def
# and import libraries in kit/ beside it, and carries
# the edit window's resources (menu 1010, cursor 1002, toolbar 1000 with its bitmap,
# the toolbar's strings, the "Pick Color" dialog 1001).
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
# The host's kit beside it: Ferrule.def names exactly the exports in exports.txt, each
# with its argument bytes, and both import libraries map those decorated names.
kit=$(dirname "$dll")/kit
def_names=$(sed -nE 's/^    ([A-Za-z0-9_]+)@[0-9]+$/\1/p' "$kit/Ferrule.def" 2>/dev/null | sort)
check "Ferrule.def names the exports in exports.txt" \
  '[ -n "$def_names" ] && [ "$def_names" = "$(grep -v "^$" "$here/exports.txt" | sort)" ]'
mingw_lib=$(i686-w64-mingw32-nm "$kit/libFerrule.dll.a" 2>/dev/null)
msvc_lib=$(llvm-nm "$kit/Ferrule.lib" 2>/dev/null)
while read -r entry; do
  [ -z "$entry" ] && continue
  check "libFerrule.dll.a links _$entry" 'grep -qx "00000000 T _$entry" <<<"$mingw_lib"'
  check "Ferrule.lib links _$entry" 'grep -qx "00000000 T _$entry" <<<"$msvc_lib"'
done < <(sed -nE 's/^    ([A-Za-z0-9_]+@[0-9]+)$/\1/p' "$kit/Ferrule.def" 2>/dev/null)
# Shipped stripped, its DWARF beside it and named by a debug link.
sections=$(i686-w64-mingw32-objdump -h "$dll")
check "stripped: no DWARF sections" '! grep -q " \.debug_" <<<"$sections"'
check "a debug link to Ferrule.dll.debug" \
  'i686-w64-mingw32-objcopy --dump-section .gnu_debuglink=/dev/stdout "$dll" 2>/dev/null | grep -qa "^Ferrule.dll.debug"'
check "Ferrule.dll.debug beside it, with the DWARF" \
  'i686-w64-mingw32-objdump -h "$(dirname "$dll")/Ferrule.dll.debug" 2>/dev/null | grep -q " \.debug_info "'
check "under 1 MB" '[ "$(stat -c %s "$dll")" -lt 1048576 ]'
# The resources, read back from the DLL. Not by windres: it would take toolbar 1000 for
# its own toolbar layout rather than the one MFC reads, and never finish.
check "has a .rsrc section" 'i686-w64-mingw32-objdump -h "$dll" | grep -q " \.rsrc "'
rc=$(python3 "$here/dll_resources.py" "$dll" 2>&1)
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
group=$(grep '^1002 GROUP_CURSOR ' <<<"$rc")
check "cursor 1002 is one 32 x 64 monochrome image" \
  '[[ "$group" =~ ^"1002 GROUP_CURSOR 1 of 1: 32 x 64, 1 plane, 1 bit, cursor "[0-9]+$ ]]'
check "cursor hot spot at the centre" 'grep -qx "${group##* } CURSOR hot spot 16, 16" <<<"$rc"'
toolbar=$(sed -n '/^1000 TOOLBAR/,/^END$/p' <<<"$rc")
want_toolbar='1000 TOOLBAR version 1, 16, 16
BEGIN
  BUTTON 32001
  BUTTON 32002
  BUTTON 32004
  BUTTON 32003
  BUTTON 32005
  SEPARATOR
  BUTTON 32006
  BUTTON 32007
  SEPARATOR
  BUTTON 32010
END'
check "toolbar 1000: 16 x 16 buttons, the controls, undo, redo and close" '[ "$toolbar" = "$want_toolbar" ]'
check "bitmap 1000: one 16 x 16 image per toolbar button" 'grep -qx "1000 BITMAP 128 x 16, 24 bits" <<<"$rc"'
dialog=$(sed -n '/^1001 DIALOG/,/^END$/p' <<<"$rc")
check "dialog 1001 is \"Pick Color\"" 'grep -qx "CAPTION \"Pick Color\"" <<<"$dialog"'
# The compiled template may carry the class name in capitals; window classes match regardless of case.
check "dialog 1001 control 1000 is the colour pick button" \
  'grep -qix "  CONTROL \"\", 1000, \"FerruleColorPickButton\"" <<<"$dialog"'
check "dialog 1001 has OK and Cancel" \
  'grep -qx "  CONTROL \"OK\", 1, BUTTON" <<<"$dialog" && grep -qx "  CONTROL \"Cancel\", 2, BUTTON" <<<"$dialog"'
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
