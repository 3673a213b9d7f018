#!/usr/bin/env bash
# The files tovick-cars reads and writes: an output that is one of the inputs (also through a
# link) refused with nothing written, a save named through a link, a read-only save, modes kept, a
# file left in the way by a killed run, a short script synced, UTF-8 paths in JSON, the export that
# applies back, and the parser's --opt=value in a command and --version.
# Usage: files_cli_test.sh TOVICK-CARS TOVICK-GEN WORK-DIR
set -u
cars=$1 gen=$2 work=$3
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/cli_checks.sh"
# A new file made without keeping the old mode would come out 0644, never the 0640 the test sets.
umask 022

mode_is() {  # FILE MODE DESCRIPTION
  local got
  got=$(stat -c %a "$1")
  [ "$got" = "$2" ] || fail "$3: mode $got, expected $2"
}

"$gen" --dir "$work/a" --save >/dev/null || fail "generator (save)"
"$gen" --dir "$work/c" --changed >/dev/null || fail "generator (changed)"
orig=$work/a/MAIN.SCM changed=$work/c/MAIN.SCM pristine=$work/pristine.b
cp "$work/a/GTA3sf1.b" "$pristine"
# The plug-in that turns the original script into the changed one, and the save synced with the
# changed script the ordinary way, to compare the other runs against.
"$cars" diff --plugin "$work/P" "$orig" "$changed" >/dev/null 2>&1
[ -s "$work/P" ] || fail "making the plug-in"
cp "$pristine" "$work/synced.b"
expect_exit 0 "plain sync" -- "$cars" save sync "$changed" "$work/synced.b"
cmp -s "$work/synced.b" "$pristine" && fail "the changed script changes nothing in the save"

# --- An output that is an input or another output: exit 1 naming both, nothing written. Every
# case starts from the same folder and must leave it exactly as it was.
o=$work/o
fresh() {
  rm -rf "$o" "$work/before" && mkdir "$o" &&
    cp "$orig" "$o/MAIN.SCM" && cp "$changed" "$o/CHANGED.SCM" && cp "$work/a/DEFAULT.IDE" "$o/" &&
    cp "$pristine" "$o/a.b" && cp "$pristine" "$o/a.b.bak" && ln -s MAIN.SCM "$o/LINK" &&
    cp -a "$o" "$work/before"
}
folder_unchanged() {  # DESCRIPTION
  [ "$(ls -A "$o")" = "$(ls -A "$work/before")" ] || fail "$1: files made or removed: $(ls -A "$o" | tr '\n' ' ')"
  local f n
  for f in "$work/before"/*; do
    n=${f##*/}
    if [ -L "$f" ]; then
      [ -L "$o/$n" ] || fail "$1: $n is no longer a link"
    else
      cmp -s "$f" "$o/$n" || fail "$1: $n changed"
    fi
  done
}
overlap() {  # NAME NAME COMMAND-WORDS...: the run is refused naming both files
  local first=$1 second=$2; shift 2
  fresh || fail "making the folder"
  expect_exit 1 "$*" -- "$cars" "$@"
  expect_in "$work/err" "$first" "$* names it"
  expect_in "$work/err" "$second" "$* names it"
  folder_unchanged "$*"
}
overlap "$o/MAIN.SCM" "$o/MAIN.SCM" export --anywhere --blocks 1 -o "$o/MAIN.SCM" "$o/MAIN.SCM"
overlap "$o/LINK" "$o/MAIN.SCM" export --blocks 1 -o "$o/LINK" "$o/MAIN.SCM"
overlap "$o/MAIN.SCM" "$o/MAIN.SCM" map -o "$o/MAIN.SCM" "$o/MAIN.SCM"
overlap "$o/DEFAULT.IDE" "$o/DEFAULT.IDE" map --ide "$o/DEFAULT.IDE" -o "$o/DEFAULT.IDE" "$o/MAIN.SCM"
overlap "$o/CHANGED.SCM" "$o/CHANGED.SCM" diff --plugin "$o/CHANGED.SCM" "$o/MAIN.SCM" "$o/CHANGED.SCM"
# The backup of a.b is the second save of the run; then one save under two names.
overlap "$o/a.b.bak" "$o/a.b.bak" save sync "$o/CHANGED.SCM" "$o/a.b" "$o/a.b.bak"
overlap "$o/a.b" "$o/./a.b" save sync "$o/CHANGED.SCM" "$o/a.b" "$o/./a.b"

# --- A save named through a link: the file the link names is synced, the link stays, and the
# backup beside the link's name holds the old bytes.
mkdir "$work/l" && cp "$pristine" "$work/l/real.b" && ln -s real.b "$work/l/LINK"
expect_exit 0 "sync through a link" -- "$cars" save sync "$changed" "$work/l/LINK"
[ -L "$work/l/LINK" ] || fail "sync through a link: the link was replaced"
same_file "$work/l/real.b" "$work/synced.b" "sync through a link: the target"
same_file "$work/l/LINK.bak" "$pristine" "sync through a link: the .bak"

# --- Modes carried over: a 0640 save synced, a 0640 script applied to.
mkdir "$work/m" && cp "$pristine" "$work/m/a.b" && cp "$orig" "$work/m/MAIN.SCM"
chmod 640 "$work/m/a.b" "$work/m/MAIN.SCM"
expect_exit 0 "sync of a 0640 save" -- "$cars" save sync "$changed" "$work/m/a.b"
same_file "$work/m/a.b" "$work/synced.b" "0640 save synced"
mode_is "$work/m/a.b" 640 "0640 save synced"
expect_exit 0 "apply to a 0640 script" -- "$cars" apply "$work/P" "$work/m/MAIN.SCM"
same_file "$work/m/MAIN.SCM" "$changed" "0640 script applied to"
mode_is "$work/m/MAIN.SCM" 640 "0640 script applied to"

# --- A read-only save as an ordinary user: exit 6, the save as it was, no .bak, nothing beside it.
# Root may write anything, so as root the run is made as nobody, in a folder nobody can reach.
as_user=()
ro=$work/ro
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  mkdir -p "$ro" && chmod 777 "$ro"
  if ! "${as_user[@]}" test -w "$ro" 2>/dev/null; then
    ro=$(mktemp -d /tmp/tovick-files-cli.XXXXXX) && chmod 777 "$ro"
  fi
  "${as_user[@]}" test -w "$ro" 2>/dev/null && "${as_user[@]}" "$cars" --help >/dev/null 2>&1 ||
    as_user=(skip)
else
  mkdir -p "$ro"
fi
if [ "${as_user[*]}" = skip ]; then
  echo "SKIP: read-only save: user nobody cannot reach $ro or run $cars"
else
  # A writable save before it is not written either: the run is refused before its first write.
  cp "$changed" "$ro/MAIN.SCM" && cp "$pristine" "$ro/a.b" && cp "$pristine" "$ro/0.b"
  chmod 644 "$ro/MAIN.SCM" && chmod 444 "$ro/a.b" && chmod 666 "$ro/0.b"
  expect_exit 6 "read-only save" -- "${as_user[@]}" "$cars" save sync "$ro/MAIN.SCM" "$ro/0.b" "$ro/a.b"
  same_file "$ro/a.b" "$pristine" "read-only save"
  same_file "$ro/0.b" "$pristine" "the writable save before the read-only one"
  mode_is "$ro/a.b" 444 "read-only save"
  [ "$(LC_ALL=C ls -A "$ro" | tr '\n' ' ')" = "0.b MAIN.SCM a.b " ] || fail "read-only save: files left: $(LC_ALL=C ls -A "$ro" | tr '\n' ' ')"
  [ "$ro" = "$work/ro" ] || rm -rf "$ro"
fi

# --- A file in the way, as a run killed outright leaves it: exit 6 naming it, both left alone.
mkdir "$work/e" && cp "$orig" "$work/e/MAIN.SCM" && echo "left by a killed run" >"$work/e/MAIN.SCM.new"
cp "$work/e/MAIN.SCM.new" "$work/left.new"
expect_exit 6 "a file in the way" -- "$cars" apply "$work/P" "$work/e/MAIN.SCM"
expect_in "$work/err" "$work/e/MAIN.SCM.new" "a file in the way is named"
same_file "$work/e/MAIN.SCM" "$orig" "a file in the way: the script"
same_file "$work/e/MAIN.SCM.new" "$work/left.new" "a file in the way: the file left"

# --- A script shorter than the editor needs, synced into its save: the instructions are found
# anywhere, so nothing in the save changes.
"$gen" --dir "$work/g" --save --length 70000 >/dev/null || fail "generator (70000 bytes)"
cp "$work/g/GTA3sf1.b" "$work/g.b"
expect_exit 0 "70000-byte script synced" -- "$cars" save sync "$work/g/MAIN.SCM" "$work/g/GTA3sf1.b"
same_file "$work/g/GTA3sf1.b" "$work/g.b" "70000-byte script synced"

# --- UTF-8 paths in JSON as they are, not each byte as a character.
cp "$pristine" "$work/sauvegarde é.b"
expect_exit 0 "save list --json, UTF-8 path" -- "$cars" save list --json "$work/sauvegarde é.b"
expect_in "$work/out" "\"$work/sauvegarde é.b\"" "save list --json, UTF-8 path"

# --- export --anywhere leaves out, and names, the records apply could not write, so that the
# plug-in applies back to the script it came from.
"$gen" --dir "$work/f" --foreign >/dev/null || fail "generator (foreign)"
expect_exit 0 "export --anywhere, foreign script" -- "$cars" export --anywhere --blocks all -o "$work/f.TOVICK1" "$work/f/MAIN.SCM"
[ -s "$work/err" ] || fail "export --anywhere, foreign script: the records left out are not named"
expect_exit 0 "apply --anywhere --check of that export" -- "$cars" apply --anywhere --check "$work/f.TOVICK1" "$work/f/MAIN.SCM"

# --- The parser (the listing's forms are in companion_cli): --opt=value in a command, the
# project's version, and a usage error of a command in one line.
"$cars" export --blocks 1 -o "$work/one.TOVICK1" "$orig" 2>/dev/null
expect_exit 0 "export --blocks=1" -- "$cars" export --blocks=1 -o "$work/one=.TOVICK1" "$orig"
same_file "$work/one=.TOVICK1" "$work/one.TOVICK1" "--blocks=1 and --blocks 1"
version=$(sed -n 's/^project([^)]*VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[ -n "$version" ] || fail "no version in CMakeLists.txt's project()"
expect_exit 0 "--version" -- "$cars" --version
expect_in "$work/out" "$version" "--version"
expect_exit 1 "unknown option of save sync" -- "$cars" save sync --frob "$changed" "$pristine"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "unknown option of save sync: not one line on stderr"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "files CLI: all checks passed"
