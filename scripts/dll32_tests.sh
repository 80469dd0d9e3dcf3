#!/bin/bash
# Runs the 32-bit host program, which drives the shipped Ferrule.dll through its exports,
# under 32-bit wine on a virtual X display. Arguments go to the program:
#   scripts/dll32_tests.sh --gtest_filter='ProductDll.*'
# Where this machine cannot run 32-bit x86 code, says so and runs nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
if ! scripts/x86_32.sh check; then
  echo "skipped: this machine cannot run 32-bit x86 code"
  exit 0
fi
build=$(realpath -m "${FERRULE_WIN32_BUILD:-build/win32-dll}")
wine=/usr/lib/wine/wine
[ -x "$wine" ] || { echo "$wine is missing: scripts/bootstrap.sh installs wine32:i386 on this machine"; exit 1; }
export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -w
cd "$build" || exit 1
# The program writes through wine's console, which ends lines with CR LF.
xvfb-run -a -s '-screen 0 1280x1024x24' \
  bash -c '"$0" ./ferrule_host32.exe "$@" | tr -d "\r"; rc=${PIPESTATUS[0]}; /usr/lib/wine/wineserver -k; exit $rc' "$wine" "$@"
