#!/bin/bash
# Runs the win64 test program under wine64 on a virtual X display, which the window
# tests need (24 bits, so that pixels read back exactly). Arguments go to the program:
#   scripts/win64_tests.sh --gtest_filter='Window*'
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${FERRULE_WIN64_BUILD:-build/win64}")
scripts/wine_prefix.sh "$build/wineprefix" || exit 1
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A wineserver left from an earlier start keeps a desktop on another display (or on
# none), where our windows would get no input: wait until it has gone.
/usr/lib/wine/wineserver -w
cd "$build" || exit 1
# Ending the wineserver before the display goes keeps its desktop from complaining
# about the lost connection, and the next start from waiting for it.
xvfb-run -a -s '-screen 0 1280x1024x24' \
  bash -c '/usr/lib/wine/wine64 ./ferrule_tests.exe "$@"; rc=$?; /usr/lib/wine/wineserver -k; exit $rc' run "$@"
