#!/usr/bin/env bash
# Runs one fuzz target for a fixed time over its seeds and fails on any finding (a crash, a
# sanitizer report, a failed check, a leak, an input that takes more than 10 s).
# Usage: run_fuzz.sh TARGET-EXE NAME WORK-DIR SECONDS SEED-DIR...
# TOVICK_FUZZ_SECONDS overrides SECONDS. The corpus grows in WORK-DIR/corpus/NAME from run to run;
# a finding is saved as WORK-DIR/findings/NAME-crash-... (or -leak-, -timeout-), and running
# TARGET-EXE with that file repeats it.
set -u
exe=$1 name=$2 work=$3 seconds=${TOVICK_FUZZ_SECONDS:-$4}
shift 4
corpus=$work/corpus/$name findings=$work/findings
mkdir -p "$corpus" "$findings"
seeds=()
for dir in "$@"; do [ -d "$dir" ] && seeds+=("$dir"); done

"$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$findings/$name-" "$corpus" "${seeds[@]}" 2>"$work/$name.log"
status=$?
tail -n 12 "$work/$name.log"
if [ "$status" -ne 0 ]; then
  echo "fuzz $name: a finding (exit $status); the log is $work/$name.log:"
  grep -E "ERROR|SUMMARY|fuzz check failed|runtime error|Test unit written" "$work/$name.log" | head -n 20
  exit 1
fi
