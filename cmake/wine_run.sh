#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest. Under load Wine now and then fails to start a
# program at all ("Application could not be started", or a failure with no output whatever, before
# any of its code runs: a test program always prints at least its header); such a start is tried
# once more, so that a test fails only for what the program itself did.
wine=$(cd "$(dirname "$0")/.." && pwd)/scripts/wine.sh
out=$(mktemp) && err=$(mktemp) || exit 1
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2; do
  "$wine" "$@" >"$out" 2>"$err"
  status=$?
  if [ "$attempt" -eq 1 ] &&
     { grep -q "^Application could not be started" "$err" "$out" ||
       { [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; }; }; then
    sleep 1
    continue
  fi
  cat "$out"
  cat "$err" >&2
  exit "$status"
done
