# The checks every CLI test script shares; source it after setting work (the scratch folder).
# Each failed check prints one FAIL line and counts in $failures.
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect_exit CODE DESCRIPTION -- COMMAND...: runs it with stdout/stderr in $work/out, $work/err.
expect_exit() {
  local want=$1 what=$2; shift 3
  timeout 20 "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [ "$got" -eq "$want" ] || fail "$what: exit $got, expected $want (stderr: $(head -c 300 "$work/err"))"
}
expect_in() {  # FILE TEXT DESCRIPTION
  grep -qF -- "$2" "$1" || fail "$3: '$2' not in $(basename "$1")"
}
same_file() {  # A B DESCRIPTION
  cmp -s "$1" "$2" || fail "$3: $(basename "$1") and $(basename "$2") differ"
}
