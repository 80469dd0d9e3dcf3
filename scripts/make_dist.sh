#!/bin/bash
# Packs the host's kit from the i686 product build into dist/ferrule-<version>-win32.zip:
# the stripped DLL and its debug file, the header, the .def, both import libraries and
# HOST.md. The zip is written by cmake, which every build already needs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win32-dll}
version=$(git describe --tags --always --dirty 2>/dev/null || echo unknown)
name=ferrule-$version-win32
stage=$build/dist/$name
files=(
  "$build/Ferrule.dll" "$build/Ferrule.dll.debug" "$build/kit/Ferrule.def" "$build/kit/Ferrule.lib"
  "$build/kit/libFerrule.dll.a" docs/HOST.md include/ferrule.h
)
for f in "${files[@]}"; do
  [ -f "$f" ] || { echo "make_dist.sh: $f is missing; run make win32-dll" >&2; exit 1; }
done
rm -rf "$stage" && mkdir -p "$stage/include" dist
cp "${files[@]:0:6}" "$stage/"
cp include/ferrule.h "$stage/include/"
rm -f "dist/$name.zip"
(cd "$build/dist" && cmake -E tar cf "$OLDPWD/dist/$name.zip" --format=zip "$name")
echo "dist/$name.zip"
