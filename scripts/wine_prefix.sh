#!/bin/bash
# Makes the wine prefix the win64 suite runs in: created once with wineboot, and the
# test program's windows left unmanaged. The suite runs under Xvfb with no window
# manager, so wine would wait 2 s for a managed window to be withdrawn each time one
# is hidden or destroyed.
set -euo pipefail
prefix=${1:?usage: wine_prefix.sh PREFIX}
wine=/usr/lib/wine/wine64
export WINEPREFIX=$(realpath -m "$prefix") WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1
# Read from the saved registry, so that a prefix already set up starts no wine at all.
if ! grep -A3 -F '[Software\\Wine\\AppDefaults\\ferrule_tests.exe\\X11 Driver]' "$WINEPREFIX/user.reg" 2>/dev/null |
     grep -qx '"Managed"="N"'; then
  "$wine" reg add 'HKCU\Software\Wine\AppDefaults\ferrule_tests.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
# The registry reaches user.reg when the wineserver ends.
/usr/lib/wine/wineserver -w
