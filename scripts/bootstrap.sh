#!/bin/bash
# Installs the Debian packages the builds need, and nothing when they are all there.
set -euo pipefail

packages=(
  cmake ninja-build ccache make g++ pkg-config
  g++-i686-linux-gnu qemu-user
  g++-mingw-w64-i686 g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 xvfb xauth
  googletest libgtest-dev libbenchmark-dev libstb-dev
  clang libclang-rt-14-dev llvm
  libswscale-dev libswresample-dev libavutil-dev libavformat-dev libavcodec-dev
  libass-dev fonts-dejavu-core fonts-wqy-zenhei libfreetype-dev libfontconfig-dev nlohmann-json3-dev
  ffmpeg libopencv-imgproc-dev hyperfine
  qt6-base-dev
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi


# The 32-bit wine that runs the product DLL, only where this machine runs 32-bit code
# itself; elsewhere nothing 32-bit is installed and the dll32 suite says it is skipped.
if ! installed wine32:i386 && "$(dirname "$0")/x86_32.sh" check; then
  echo "bootstrap: this machine runs 32-bit x86 code; installing wine32:i386"
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
fi
