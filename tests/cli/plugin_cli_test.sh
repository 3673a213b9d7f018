#!/usr/bin/env bash
# tovick-cars export and apply on generated data: the exported bytes against the plug-in format
# rendered independently from the JSON listing, a round trip into a copy with other values, and
# the refusals that must leave the script untouched.
# Usage: plugin_cli_test.sh TOVICK-CARS TOVICK-GEN WORK-DIR
set -u
cars=$1 gen=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/cli_checks.sh"

"$gen" --dir "$work/a" --seed 21 >/dev/null || fail "generator (a)"
"$gen" --dir "$work/short" --seed 21 --length 70203 >/dev/null || fail "generator (short)"
"$gen" --dir "$work/broken" --seed 21 --break-strict >/dev/null || fail "generator (broken)"
a=$work/a/MAIN.SCM

# The plug-in of the given blocks, rendered from the JSON listing as the format describes it.
render() {  # SCRIPT BLOCKS(python list or "all") OUT
  "$cars" --json "$1" >"$work/listing.json" || fail "listing of $1"
  python3 - "$work/listing.json" "$2" "$3" <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
wanted = None if sys.argv[2] == "all" else set(json.loads(sys.argv[2]))
def num(v):  # the sign position, the digits, and the field's trailing blank
    return ("-" if v < 0 else " ") + str(abs(v)) + " "
lines = [
    "Tovick Plashgoons Plug-In Version 1",
    "# This Plug-In version stores both the number of the block and the address the block",
    "# was stored at originally. These numbers and addresses are compared against the",
    "# numbers and addresses used in the .SCM file that the Plug-In will be plugged into.",
    "# This is a safety feature implemented to safeguard against incompatible .SCM file",
    "# car tables. This only means that I know what I'm doing  :-)",
    "#",
    "# BLOCK, BLOCK ADDRESS, HICAR ID, CAR ID, X-POS, Y-POS, UNKNOWN TWO-BYTE FIELD, HEADING, ALARM, LOCK",
]
for b in doc["blocks"]:
    if wanted is None or b["block"] in wanted:
        values = [b[k] for k in ("block", "address", "widthMarker", "carId", "xPos", "yPos",
                                 "unknownWord", "heading", "alarm", "lock")]
        lines.append(", ".join(num(v) for v in values))
open(sys.argv[3], "wb").write("".join(l + "\r\n" for l in lines).encode("ascii"))
PY
}

# Export: byte for byte, to standard output and to -o.
render "$a" "[3, 7, 12]" "$work/expected-3-7-12"
expect_exit 0 "export 3,7,12" -- "$cars" export --blocks 3,7,12 "$a"
same_file "$work/out" "$work/expected-3-7-12" "export 3,7,12 to standard output"
expect_exit 0 "export 12,3,7 -o" -- "$cars" export --blocks 12,3,7,7 -o "$work/cars" "$a"
same_file "$work/cars" "$work/expected-3-7-12" "export -o (the name used as given)"
[ -s "$work/out" ] && fail "export -o: something on standard output"
render "$a" "$(python3 -c 'print(list(range(1, 21)) + [31])')" "$work/expected-ranges"
expect_exit 0 "export 1-20,31" -- "$cars" export --blocks 1-20,31 "$a"
same_file "$work/out" "$work/expected-ranges" "export 1-20,31"
render "$a" all "$work/expected-all"
expect_exit 0 "export all" -- "$cars" export -o "$work/all.TOVICK1" --blocks all "$a"
same_file "$work/all.TOVICK1" "$work/expected-all" "export all"

# Export: usage and file errors.
for list in 0 101 3-1 1-101 x "" 3,,7 -3 1-2-3 +3 99999999999999999999; do
  expect_exit 1 "export --blocks '$list'" -- "$cars" export --blocks "$list" "$a"
done
expect_in "$work/err" "(see tovick-cars export --help)" "export usage message"
expect_exit 1 "export 101: outside the table" -- "$cars" export --blocks 101 "$a"
expect_in "$work/err" "block 101 is not in the car table (blocks 1 to 100)" "outside message"
expect_exit 1 "export without --blocks" -- "$cars" export "$a"
expect_exit 1 "export without a script" -- "$cars" export --blocks 1
expect_exit 2 "export of a missing script" -- "$cars" export --blocks 1 "$work/none.SCM"
expect_exit 3 "export of a short script" -- "$cars" export --blocks 1 "$work/short/MAIN.SCM"
expect_exit 4 "export of a malformed table" -- "$cars" export --blocks 1 "$work/broken/MAIN.SCM"
expect_exit 6 "export into a missing directory" -- "$cars" export --blocks 1 -o "$work/no/dir/x" "$a"
expect_exit 0 "export --help" -- "$cars" export --help
expect_exit 0 "apply --help" -- "$cars" apply --help
expect_in "$work/out" "5 the plug-in does not fit" "apply exit codes"
expect_exit 0 "--help" -- "$cars" --help
expect_in "$work/out" "6  writing failed" "exit 6 in --help"
expect_in "$work/out" "tovick-cars apply [--check] PLUGIN MAIN.SCM" "apply in --help"

# A copy of the script with other values in every block (bytes of the fields only).
make_other() {  # SOURCE DEST
  cp "$1" "$2"
  "$cars" --json "$1" >"$work/listing.json"
  python3 - "$work/listing.json" "$2" <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
data = bytearray(open(sys.argv[2], "rb").read())
for b in doc["blocks"]:
    a, h = b["address"], b["hiCar"]
    for off in (22, 10, 11, 13, 14, 16, 17, 19, 20, 30 + h, 32 + h):
        data[a + off] ^= 0x5A
open(sys.argv[2], "wb").write(data)
PY
}
block_bytes() {  # SCRIPT BLOCKS(python list): the bytes of those blocks, as hex
  "$cars" --json "$1" >"$work/listing.json"
  python3 - "$work/listing.json" "$1" "$2" <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
data = open(sys.argv[2], "rb").read()
for b in doc["blocks"]:
    if b["block"] in json.loads(sys.argv[3]):
        print(b["block"], data[b["address"]:b["address"] + 34 + b["hiCar"]].hex())
PY
}

# Apply: the round trip into a copy with other values, its permissions and link kept.
b=$work/b/MAIN.SCM
mkdir -p "$work/b" && make_other "$a" "$b"
chmod 640 "$b"
ln -s MAIN.SCM "$work/b/link.SCM"
cmp -s "$a" "$b" && fail "the copy does not differ"
"$cars" export --blocks 2,3,7,12 -o "$work/p.TOVICK1" "$a" || fail "export for apply"
cp "$b" "$work/b-before"
expect_exit 0 "apply --check" -- "$cars" apply --check "$work/p.TOVICK1" "$b"
same_file "$b" "$work/b-before" "apply --check wrote nothing"
cp "$work/out" "$work/check-out"
expect_in "$work/out" "4 car(s) changed" "apply --check count"
[ "$(wc -l <"$work/out")" -eq $((4 * 7 + 1)) ] || fail "apply --check: $(wc -l <"$work/out") lines, expected 29"
expect_exit 0 "apply" -- "$cars" apply "$work/p.TOVICK1" "$work/b/link.SCM"
same_file "$work/out" "$work/check-out" "apply prints what --check printed"
[ "$(block_bytes "$b" "[2, 3, 7, 12]")" = "$(block_bytes "$a" "[2, 3, 7, 12]")" ] \
  || fail "apply: the blocks did not come back"
[ "$(block_bytes "$b" "[1, 4, 100]")" = "$(block_bytes "$work/b-before" "[1, 4, 100]")" ] \
  || fail "apply: other blocks changed"
[ "$(stat -c %a "$b")" = 640 ] || fail "apply: permissions $(stat -c %a "$b"), expected 640"
[ -L "$work/b/link.SCM" ] || fail "apply: the link was replaced"
ls -A "$work/b" | grep -q tovick && fail "apply: a temporary file was left"
expect_exit 0 "apply again" -- "$cars" apply "$work/p.TOVICK1" "$b"
[ "$(cat "$work/out")" = "4 car(s) changed" ] || fail "apply again: $(head -c 200 "$work/out")"
# Block 3's X-POS line shows the value before and after.
"$cars" --json "$a" >"$work/listing.json"
x_after=$(python3 -c "import json; print([b for b in json.load(open('$work/listing.json'))['blocks'] if b['block'] == 3][0]['xPos'])")
grep -qE "^block 3: X-POS -?[0-9]+ -> $x_after\$" "$work/check-out" || fail "X-POS line of block 3"

# Lines without ten fields are reported with their line number and skipped.
c=$work/c/MAIN.SCM
mkdir -p "$work/c" && make_other "$a" "$c"
{ head -n 9 "$work/p.TOVICK1"; printf '1,2,3,4,5,6,7,8,9\r\n # note\r\n'; tail -n +10 "$work/p.TOVICK1"; } \
  >"$work/gaps.TOVICK1"
expect_exit 0 "apply with gaps" -- "$cars" apply "$work/gaps.TOVICK1" "$c"
expect_in "$work/err" "gaps.TOVICK1:10: A parameter is missing in this Plug-In file." "line 10"
expect_in "$work/err" "gaps.TOVICK1:11: A parameter is missing in this Plug-In file." "line 11"
expect_in "$work/out" "4 car(s) changed" "count with gaps"

# Misfits: exit 5, the script untouched.
d=$work/d/MAIN.SCM
mkdir -p "$work/d" && make_other "$a" "$d" && cp "$d" "$work/d-before"
misfit() {  # NAME PYTHON-EXPRESSION-OF-LINES(lines: the plug-in's lines without CR LF)
  python3 - "$work/p.TOVICK1" "$work/$1.TOVICK1" "$2" <<'PY'
import sys
lines = open(sys.argv[1], "rb").read().decode("ascii").split("\r\n")[:-1]
lines = eval(sys.argv[3])
open(sys.argv[2], "wb").write("".join(l + "\r\n" for l in lines).encode("ascii"))
PY
  expect_exit 5 "misfit $1" -- "$cars" apply "$work/$1.TOVICK1" "$d"
  same_file "$d" "$work/d-before" "misfit $1 left the script"
}
misfit address3 'lines[:10] + [lines[10].replace(",  65", ",  75", 1)] + lines[11:]'
expect_in "$work/err" "address3.TOVICK1:11: PATCHING TERMINATED: block 7 has the address" "address detail"
misfit block0 'lines[:9] + ["0" + lines[9][2:]] + lines[10:]'
expect_in "$work/err" "block 0 is not in this script's car table" "block 0 detail"
misfit marker 'lines[:11] + [lines[11].replace(",  4 ,", ",  5 ,", 1)]'
expect_in "$work/err" "differs from the width marker 4" "marker detail"
misfit lowercase '[lines[0].lower()] + lines[1:]'
expect_in "$work/err" "INVALID PLUG-IN VERSION, HEADER OR FILE" "not a plug-in"
misfit blank '[lines[0] + " "] + lines[1:]'
python3 -c "import sys; d=open('$work/p.TOVICK1','rb').read(); open('$work/lf.TOVICK1','wb').write(d.replace(b'\r\n', b'\n'))"
expect_exit 5 "LF-only plug-in" -- "$cars" apply "$work/lf.TOVICK1" "$d"
same_file "$d" "$work/d-before" "LF-only plug-in left the script"

# A header alone changes nothing and counts nothing.
printf 'Tovick Plashgoons Plug-In Version 1\r\n' >"$work/empty.TOVICK1"
expect_exit 0 "header alone" -- "$cars" apply "$work/empty.TOVICK1" "$d"
[ "$(cat "$work/out")" = "0 car(s) changed" ] || fail "header alone: $(head -c 200 "$work/out")"
same_file "$d" "$work/d-before" "header alone left the script"

# Files that cannot be read.
mkfifo "$work/fifo.TOVICK1"
expect_exit 2 "a FIFO as plug-in" -- "$cars" apply "$work/fifo.TOVICK1" "$d"
expect_exit 2 "a directory as plug-in" -- "$cars" apply "$work" "$d"
expect_exit 2 "a missing plug-in" -- "$cars" apply "$work/none.TOVICK1" "$d"
expect_exit 2 "a missing script" -- "$cars" apply "$work/p.TOVICK1" "$work/none.SCM"
expect_exit 3 "a short script" -- "$cars" apply "$work/p.TOVICK1" "$work/short/MAIN.SCM"
expect_exit 4 "a malformed table" -- "$cars" apply "$work/p.TOVICK1" "$work/broken/MAIN.SCM"
expect_exit 1 "apply with one file" -- "$cars" apply "$work/p.TOVICK1"
expect_exit 1 "apply with an unknown option" -- "$cars" apply --force "$work/p.TOVICK1" "$d"
if [ "$(id -u)" -ne 0 ]; then
  # Permissions bind only other users than root.
  chmod 444 "$d"
  expect_exit 6 "a read-only script" -- "$cars" apply "$work/p.TOVICK1" "$d"
  chmod 644 "$d"
  chmod 555 "$work/d"
  expect_exit 6 "a script in a read-only directory" -- "$cars" apply "$work/p.TOVICK1" "$d"
  chmod 755 "$work/d"
  same_file "$d" "$work/d-before" "the failed writes left the script"
fi

# A full window: 147 blocks, exported and applied to a copy with other values.
"$gen" --dir "$work/full" --seed 8 --blocks 147 >/dev/null || fail "generator (147 blocks)"
full=$work/full/MAIN.SCM
expect_exit 0 "export all of 147" -- "$cars" export --blocks all -o "$work/full.TOVICK1" "$full"
[ "$(grep -c '^ [0-9]' "$work/full.TOVICK1")" -eq 147 ] || fail "147 records"
mkdir -p "$work/full2" && make_other "$full" "$work/full2/MAIN.SCM"
expect_exit 0 "apply 147" -- "$cars" apply "$work/full.TOVICK1" "$work/full2/MAIN.SCM"
expect_in "$work/out" "147 car(s) changed" "147 records applied"
same_file "$work/full2/MAIN.SCM" "$full" "147 blocks came back"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "plug-in CLI: all checks passed"
