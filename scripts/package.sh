#!/usr/bin/env bash
# Builds the release zips, one per Windows architecture: TovickPlashgoon-<version>-win64.zip and
# -win32.zip, each holding the editor, tovick-cars.exe, the user guide and the licence (both as
# CR LF text). The version is the CMake project version. The programs come from the same Release
# build trees that scripts/test.sh tests ($TOVICK_BUILD_ROOT/win64 and win32), so after a test run
# this only packs what was tested.
#   scripts/package.sh [win64|win32]...    (both by default; the zips go to $TOVICK_DIST_DIR or ./dist)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${TOVICK_BUILD_ROOT:-$repo/build}
dist=${TOVICK_DIST_DIR:-$repo/dist}
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(win64 win32)

"$repo/scripts/deps.sh"
mkdir -p "$dist" "$build_root"

crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$@"; }

for arch in "${arches[@]}"; do
  case $arch in
    win64) toolchain=mingw-x86_64 ;;
    win32) toolchain=mingw-i686 ;;
    *) echo "package: unknown architecture '$arch' (win64 or win32)" >&2; exit 1 ;;
  esac
  dir=$build_root/$arch
  cmake -S "$repo" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/$toolchain.cmake" >"$dir.package-configure.log" 2>&1 ||
    { cat "$dir.package-configure.log" >&2; exit 1; }
  cmake --build "$dir" -j2 --target TovickPlashgoon tovick-cars >"$dir.package-build.log" 2>&1 ||
    { tail -n 40 "$dir.package-build.log" >&2; exit 1; }
  version=$(sed -n 's/^#define TOVICK_VERSION_TEXT "\(.*\)"$/\1/p' "$dir/generated/tovick_version.h")
  [ -n "$version" ] || { echo "package: no version in $dir/generated/tovick_version.h" >&2; exit 1; }

  name=TovickPlashgoon-$version-$arch
  stage=$dist/$name
  rm -rf "$stage" "$dist/$name.zip"
  mkdir -p "$stage"
  cp "$dir/TovickPlashgoon.exe" "$dir/tovick-cars.exe" "$stage/"
  crlf "$repo/docs/user-guide.txt" | sed "s/@VERSION@/$version/" >"$stage/USER-GUIDE.txt"
  crlf "$repo/LICENSE" >"$stage/LICENSE.txt"
  (cd "$dist" && python3 - "$name" <<'PY'
import os, sys, zipfile
name = sys.argv[1]
with zipfile.ZipFile(name + ".zip", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for file in sorted(os.listdir(name)):
        archive.write(os.path.join(name, file), name + "/" + file)
PY
  )
  rm -rf "$stage"
  echo "$dist/$name.zip"
done
