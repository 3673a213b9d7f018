#!/usr/bin/env bash
# Runs every test: native Debug build + ctest; native AddressSanitizer+UBSan build + ctest; the
# fuzz targets (clang) for 10 s each; Windows x86_64 and i686 builds + ctest each (unit tests and
# end-to-end tests under 64-bit and 32-bit Wine); then the release zips of those two builds and
# their check. Ends with "N passed, M failed" over all ctest tests and zip checks (a build that
# fails counts as one failed test) and exits non-zero on any failure. Where this machine cannot
# run 32-bit programs (scripts/runs_32_bit.sh; TOVICK_NO_32_BIT=1 forces that answer), the i686
# tree and its zip are still built and checked but its tests are not run: they are counted as
# skipped, and the last line reads "N passed, M failed, K skipped".
# Build trees go under $TOVICK_BUILD_ROOT (default ./build).
set -uo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build_root=${TOVICK_BUILD_ROOT:-$repo/build}
jobs=$(nproc 2>/dev/null || echo 2)
passed=0
failed=0
skipped=0

"$repo/scripts/deps.sh" || { echo "test: installing the dependencies failed" >&2; exit 1; }
mkdir -p "$build_root"

stage() { echo; echo "=== $* ($(date +%T))"; }

# build DIR CMAKE-ARGS...: configures and builds; a failure counts as one failed test.
build() {
  local dir=$1; shift
  if cmake -S "$repo" -B "$dir" "$@" >"$dir.configure.log" 2>&1 &&
     cmake --build "$dir" -j"$jobs" >"$dir.build.log" 2>&1; then
    return 0
  fi
  echo "test: the build in $dir failed:"
  tail -n 40 "$dir.configure.log" "$dir.build.log" 2>/dev/null
  failed=$((failed + 1))
  return 1
}

# run_ctest DIR: runs the tree's tests and adds them to the counts.
run_ctest() {
  local dir=$1 log=$1.ctest.log
  (cd "$dir" && ctest --output-on-failure --timeout 300 -j"$jobs") 2>&1 | tee "$log"
  local summary
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$summary" ]; then
    if ! grep -q 'No tests were found' "$log"; then
      echo "test: ctest in $dir did not finish"
      failed=$((failed + 1))
    fi
    return
  fi
  local bad total
  bad=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  last_total=$total
}

stage "native Debug build and tests"
if build "$build_root/native-debug" -DCMAKE_BUILD_TYPE=Debug; then
  run_ctest "$build_root/native-debug"
fi

stage "native AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
if build "$build_root/sanitize" -DCMAKE_BUILD_TYPE=Debug -DTOVICK_SANITIZE=ON; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest "$build_root/sanitize"
fi

stage "fuzzing: each libFuzzer target for 10 s (clang, ASan + UBSan)"
if build "$build_root/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVICK_FUZZ=ON \
     -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++; then
  run_ctest "$build_root/fuzz"
fi

# windows_tests DIR: the tree's ctest under Wine, in a Wine prefix of its own. A Wine environment
# that cannot be prepared counts as one failed test.
windows_tests() {
  local dir=$1 wine_env=$repo/tests/e2e/wine_env.sh display=${DISPLAY-} exports
  if ! exports=$("$wine_env" start "$dir"); then
    echo "test: the Wine environment for $dir could not be prepared (see above)"
    failed=$((failed + 1))
    "$wine_env" stop "$dir" || true
    return 1
  fi
  eval "$exports"
  run_ctest "$dir"
  "$wine_env" stop "$dir"
  # The exports of start name a display that stop may have ended: the next tree starts its own.
  if [ -n "$display" ]; then export DISPLAY=$display; else unset DISPLAY; fi
}

windows_ok=()
win64_tests=0
stage "Windows x86_64 build and tests under Wine"
if build "$build_root/win64" -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-x86_64.cmake"; then
  last_total=0
  windows_tests "$build_root/win64"
  win64_tests=$last_total
  windows_ok+=(win64)
fi

no_32_bit=$("$repo/scripts/runs_32_bit.sh")
runs_32_bit=$?
if [ "$runs_32_bit" -eq 0 ]; then
  stage "Windows i686 build and tests under 32-bit Wine"
else
  stage "Windows i686 build (its tests need 32-bit programs)"
fi
if build "$build_root/win32" -DCMAKE_BUILD_TYPE=Release \
     -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake"; then
  if [ "$runs_32_bit" -eq 0 ]; then
    # The same code as the 64-bit tree, which walks the full default: half the walk keeps the
    # suite short. A walk length set by the caller is kept.
    TOVICK_WALK_ACTIONS=${TOVICK_WALK_ACTIONS:-150} windows_tests "$build_root/win32"
  else
    # Listing them would start the test programs under Wine too (their cases are found by running
    # them), so the count is the x86_64 tree's: the same tests from the same sources.
    skip=$((win64_tests > 0 ? win64_tests : 1))
    echo "test: skipped the i686 tests under 32-bit Wine ($skip tests, as many as the x86_64 tree" \
      "ran): this machine cannot run 32-bit programs: $no_32_bit"
    skipped=$((skipped + skip))
  fi
  windows_ok+=(win32)
fi

stage "release zips of the tested builds"
for arch in "${windows_ok[@]}"; do
  zip=$(TOVICK_BUILD_ROOT=$build_root TOVICK_DIST_DIR=$build_root/dist "$repo/scripts/package.sh" "$arch" | tail -n 1)
  version=$(sed -n 's/^#define TOVICK_VERSION_TEXT "\(.*\)"$/\1/p' "$build_root/$arch/generated/tovick_version.h")
  if [ -f "$zip" ] && python3 -B "$repo/tests/package/check_package.py" "$zip" "$version"; then
    passed=$((passed + 1))
  else
    echo "test: the $arch release zip failed its check"
    failed=$((failed + 1))
  fi
done

echo
if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" -eq 0 ]
