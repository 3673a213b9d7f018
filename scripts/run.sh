#!/usr/bin/env bash
# Runs the editor on generated demo data: builds it (native and Windows x86_64, Release), writes
# the demo files into ./demo, and starts TovickPlashgoon.exe under Wine there, with both game
# files already remembered so that no dialog appears. Without a display (DISPLAY unset) it runs on
# Xvfb, saves ./demo/screenshot.png and closes the program again. Until the Windows program
# builds, it prints the demo script's car table with the companion tovick-cars instead. The
# editor is a 64-bit program: it starts with Wine's 64-bit loader (scripts/wine.sh), so this also
# works where 32-bit programs cannot run.
# Build trees go under $TOVICK_BUILD_ROOT (default ./build).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${TOVICK_BUILD_ROOT:-$repo/build}
demo=$repo/demo
jobs=$(nproc 2>/dev/null || echo 2)
seed=${TOVICK_DEMO_SEED:-1}

"$repo/scripts/deps.sh"
mkdir -p "$build_root"

native=$build_root/native-release
echo "run: building the native tools in $native"
cmake -S "$repo" -B "$native" -DCMAKE_BUILD_TYPE=Release -DTOVICK_TESTS=OFF >/dev/null
cmake --build "$native" -j"$jobs" --target tovick-gen tovick-cars >/dev/null

win64=$build_root/win64
exe=$win64/TovickPlashgoon.exe
echo "run: building the Windows program in $win64"
if ! { cmake -S "$repo" -B "$win64" -DCMAKE_BUILD_TYPE=Release \
         -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-x86_64.cmake" >"$win64.run-configure.log" 2>&1 &&
       cmake --build "$win64" -j"$jobs" --target TovickPlashgoon >"$win64.run-build.log" 2>&1; }; then
  echo "run: the Windows program did not build (see $win64.run-build.log)"
  exe=""
fi

echo "run: writing the demo data (seed $seed) into $demo"
"$native/tovick-gen" --dir "$demo" --seed "$seed" --save

if [ -z "$exe" ] || [ ! -f "$exe" ]; then
  echo "run: showing the demo script's car table with the companion instead"
  exec "$native/tovick-cars" --ide "$demo/DEFAULT.IDE" --zones "$demo/TovickZon.txt" "$demo/MAIN.SCM"
fi

# The remembered paths, as the editor itself writes them: one Windows path and CR LF.
windows_path() { printf 'Z:%s' "$1" | tr '/' '\\'; }
printf '%s\r\n' "$(windows_path "$demo/DEFAULT.IDE")" >"$demo/DEFIDE.txt"
printf '%s\r\n' "$(windows_path "$demo/MAIN.SCM")" >"$demo/MAINSCM.txt"

wine_env=$repo/tests/e2e/wine_env.sh
wine=$repo/scripts/wine.sh
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
# Prepares the prefix (fonts, no window-manager waits) and, when headless, starts Xvfb.
if ! exports=$("$wine_env" start "$win64"); then
  echo "run: the Wine environment could not be prepared (wine_env.sh said why above)" >&2
  exit 1
fi
eval "$exports"
stop_wine() { "$wine_env" stop "$win64"; }

cd "$demo"
if [ "$headless" -eq 0 ]; then
  echo "run: starting the editor on $DISPLAY"
  status=0
  "$wine" "$exe" || status=$?
  stop_wine
  exit "$status"
fi

echo "run: starting the editor on the virtual display $DISPLAY"
"$wine" "$exe" </dev/null >/dev/null 2>&1 &
editor=$!
window=""
for _ in $(seq 1 60); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Tovick Plashgoon"/ {print $1; exit}')
  [ -n "$window" ] && break
  kill -0 "$editor" 2>/dev/null || break
  sleep 0.5
done
# Long enough for the scroller to run through its leading blanks, so the strip shows its text.
sleep 12
# The editor's window alone when it was found, the whole screen otherwise (a message box, say).
status=0
if import -window "${window:-root}" "$demo/screenshot.png"; then
  echo "run: saved $demo/screenshot.png"
else
  echo "run: the screenshot failed" >&2
  status=1
fi
if [ -z "$window" ]; then
  echo "run: the editor's window did not appear; the screenshot shows the whole screen" >&2
  status=1
fi
kill "$editor" 2>/dev/null || true
wait "$editor" 2>/dev/null || true
stop_wine
exit "$status"
