#!/bin/bash
# Runs the 32-bit host program, which drives the shipped Ferrule.dll through its exports,
# under 32-bit wine on a virtual X display. Its scenarios are compared line by line with
# the same scenarios driven natively (build/native/ferrule_scenarios, the reference);
# the warp scenario runs a second time on the SSE2 kernel (FERRULE_WARP_KERNEL=sse2).
#   scripts/dll32_tests.sh                # everything
#   scripts/dll32_tests.sh --only titles  # one scenario
# Where this machine cannot run 32-bit x86 code, says so and runs nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
if ! scripts/x86_32.sh check; then
  echo "skipped: this machine cannot run 32-bit x86 code"
  exit 0
fi
build=$(realpath -m "${FERRULE_WIN32_BUILD:-build/win32-dll}")
native=$(realpath -m "${FERRULE_NATIVE_BUILD:-build/native}")
wine=/usr/lib/wine/wine
[ -x "$wine" ] || { echo "$wine is missing: scripts/bootstrap.sh installs wine32:i386 on this machine"; exit 1; }
[ -x "$native/ferrule_scenarios" ] || { echo "$native/ferrule_scenarios is missing: make native builds it"; exit 1; }
export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -w
cd "$build" || exit 1
# Both programs write their subtitle file into the current folder.
"$native/ferrule_scenarios" >scenarios.reference || { echo "the native scenarios failed; no reference"; exit 1; }
# The host's media, made by FFmpeg: a 37 x 23 test pattern as raw top-down BGR and the
# same pixels as PNG, BMP and TIFF; a stereo tone as raw 16-bit samples and as WAVE.
media=host32-media
if [ ! -f $media/pattern.tiff ]; then
  mkdir -p $media
  ff="ffmpeg -v error -y"
  { $ff -f lavfi -i testsrc=s=37x23 -frames:v 1 -pix_fmt bgr24 -f rawvideo $media/pattern.bgr &&
    $ff -f rawvideo -pix_fmt bgr24 -s 37x23 -i $media/pattern.bgr $media/pattern.png &&
    $ff -f rawvideo -pix_fmt bgr24 -s 37x23 -i $media/pattern.bgr $media/pattern.bmp &&
    $ff -f lavfi -i sine=frequency=440:sample_rate=8000:duration=0.5 -ac 2 -f s16le $media/tone.s16 &&
    $ff -f s16le -ar 8000 -ac 2 -i $media/tone.s16 -c:a pcm_s16le $media/tone.wav &&
    $ff -f rawvideo -pix_fmt bgr24 -s 37x23 -i $media/pattern.bgr $media/pattern.tiff; } || exit 1
fi
# The program writes through wine's console, which ends lines with CR LF.
xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
  # Each run: the warp kernel asked for (none: the default), then the arguments.
  runs=("|$*")
  [ $# -eq 0 ] && runs+=("sse2|--only warp")
  passed=0 failed=0 rc=0
  for run in "${runs[@]}"; do
    kernel=${run%%|*} args=${run#*|}
    [ -n "$kernel" ] && echo "the warp again, FERRULE_WARP_KERNEL=$kernel:"
    env ${kernel:+FERRULE_WARP_KERNEL=$kernel} "$0" ./ferrule_host32.exe --reference scenarios.reference $args >host32.log
    [ $? -eq 0 ] || rc=1
    out=$(tr -d "\r" <host32.log)
    echo "$out" | grep -v "^passed [0-9]*, failed [0-9]*$"
    summary=$(echo "$out" | sed -n "s/^passed \([0-9]*\), failed \([0-9]*\)$/\1 \2/p" | tail -1)
    [ -n "$summary" ] || { echo "ferrule_host32.exe $args ended without its summary"; rc=1; continue; }
    passed=$((passed + ${summary% *})); failed=$((failed + ${summary#* }))
  done
  /usr/lib/wine/wineserver -k
  echo "passed $passed, failed $failed"
  exit $rc' "$wine" "$@"
