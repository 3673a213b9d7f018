#!/usr/bin/env bash
# tovick-cars --anywhere on a script compiled elsewhere (tovick-gen --foreign): every generator
# instruction listed, and the round trip export -> edited plug-in -> apply -> diff changing exactly
# the bytes of the fields the plug-in changes; the refusals, a script without instructions, and the
# script's size bounds.
# Usage: anywhere_cli_test.sh TOVICK-CARS TOVICK-GEN WORK-DIR
set -u
cars=$1 gen=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/cli_checks.sh"
unchanged() {  # FILE COPY DESCRIPTION
  cmp -s "$1" "$2" || fail "$3: the script was changed"
}

"$gen" --dir "$work/f" --foreign --seed 4 >/dev/null || fail "generator (foreign)"
"$gen" --dir "$work/demo" --seed 4 >/dev/null || fail "generator (demo)"
f=$work/f/MAIN.SCM
cp "$f" "$work/original.SCM"

# --- The listing: all 149, each value as the game reads it.
expect_exit 0 "listing without --anywhere" -- "$cars" "$f"
expect_in "$work/err" "no block in the editor's scan window 65224-70239, but 149 parked-car records at offsets" "note"
expect_exit 0 "--anywhere table" -- "$cars" --anywhere --ide "$work/f/DEFAULT.IDE" "$f"
expect_in "$work/out" "460528 bytes, 149 parked-car record(s) anywhere in the file" "table header"
expect_in "$work/out" "ALARM  LOCK  COLOUR1  COLOUR2  FORCE  UNSAFE" "table columns"
expect_exit 0 "--anywhere --json" -- "$cars" --anywhere --json "$f"
cp "$work/out" "$work/f.json"
python3 - "$work/f.json" "$f" <<'PY' || fail "--anywhere json"
import json, sys
doc = json.load(open(sys.argv[1]))
data = open(sys.argv[2], "rb").read()
b = doc["blocks"]
assert doc["anywhere"] and doc["blockCount"] == 149 == len(b), doc["blockCount"]
assert [r["block"] for r in b] == list(range(1, 150))
assert sorted(r["width"] for r in b).count(1) == 100 and [r["width"] for r in b].count(2) == 49
for r in b:
    a = r["address"]
    assert data[a + 7:a + 9] == b"\x4b\x01", r
    assert r["widthMarker"] == data[a + 21] and r["carId"] == data[a + 22], r
    assert r["unknownWord"] == int.from_bytes(data[a + 16:a + 18], "little"), r
    assert r["xPos"] == int.from_bytes(data[a + 10:a + 12], "little", signed=True), r
assert b[0]["alarm"] == b[0]["lock"] == 0
assert b[1]["widthMarker"] == 5 and b[1]["width"] == 2 and b[1]["hiCar"] == 1
assert (b[2]["model"], b[2]["carId"], b[2]["widthMarker"], b[2]["unsafe"]) == (-116, 140, 4, True), b[2]
assert (b[3]["colour1"], b[3]["colour2"]) == (3, 62), b[3]
assert (b[4]["handleLocal"], b[4]["handleVariable"]) == (True, 12), b[4]
assert not any(r["handleLocal"] for r in b if r["block"] != 5)
assert b[5]["alarm"] == 50 and b[6]["maxDelay"] == 40000, (b[5], b[6])
assert all(r["colour1"] == -1 and r["forceSpawn"] == 0 and r["minDelay"] == 0 for r in b if r["block"] != 4)
assert len({r["handleVariable"] for r in b}) == 149
PY
expect_exit 0 "map --anywhere" -- "$cars" map --anywhere "$f"
[ "$(grep -c 'class="car ' "$work/out")" -eq 149 ] || fail "map --anywhere: not 149 markers"

# --- export: the records as the listing gives them.
expect_exit 0 "export --anywhere" -- "$cars" export --anywhere --blocks all -o "$work/all.TOVICK1" "$f"
# Record 6 holds a 16-bit alarm, which apply --anywhere could not write: named and left out, so
# that what is exported applies back to the same script.
expect_in "$work/err" "block 6 left out: the instruction holds ALARM wider than the byte a plug-in writes" "export leaves out"
expect_exit 0 "the export applies back" -- "$cars" apply --anywhere --check "$work/all.TOVICK1" "$f"
expect_in "$work/out" "148 car(s) changed" "the export applies back"
expect_exit 1 "export without --anywhere" -- "$cars" export --blocks all "$f"
unchanged "$f" "$work/original.SCM" "export"
python3 - "$work/all.TOVICK1" "$work/f.json" "$work/edited.TOVICK1" "$work/odd.TOVICK1" <<'PY' || fail "export content"
import json, sys
text = open(sys.argv[1], "rb").read().decode("ascii")
lines = text.split("\r\n")
assert lines[0] == "Tovick Plashgoons Plug-In Version 1" and lines[-1] == "" and len(lines) == 8 + 148 + 1
keys = ("block", "address", "widthMarker", "carId", "xPos", "yPos", "unknownWord", "heading", "alarm", "lock")
rows = {r["block"]: r for r in json.load(open(sys.argv[2]))["blocks"]}
records = {}
for line in lines[8:-1]:
    fields = [int(v) for v in line.split(",")]
    assert fields == [rows[fields[0]][k] for k in keys], line
    records[fields[0]] = fields
assert 6 not in records
# A modder's edits, each field a plug-in carries, on several widths and layouts (record 6 left out:
# its alarm is 16-bit).
edits = {1: {4: 1000, 3: 111}, 2: {7: 90 * 16, 9: 100}, 3: {3: 120}, 4: {8: 20, 6: 0x0123},
         5: {5: -300}, 7: {9: 50}, 8: {4: -1}, 149: {5: 4321, 8: 100}}
out = lines[:8]
for n, changes in edits.items():
    fields = list(records[n])
    for i, v in changes.items():
        assert fields[i] != v, (n, i)
        fields[i] = v
    out.append(", ".join(str(v) for v in fields))
open(sys.argv[3], "wb").write(("\r\n".join(out) + "\r\n").encode())
odd = [rows[6][k] for k in keys]
open(sys.argv[4], "wb").write(("\r\n".join(lines[:8] + [", ".join(map(str, odd))]) + "\r\n").encode())
PY

# --- apply: --check writes nothing; then exactly the edited fields' bytes change.
expect_exit 0 "apply --anywhere --check" -- "$cars" apply --anywhere --check "$work/edited.TOVICK1" "$f"
expect_in "$work/out" "block 1: X-POS" "check report"
expect_in "$work/out" "8 car(s) changed" "check count"
unchanged "$f" "$work/original.SCM" "apply --check"
expect_exit 5 "the --anywhere plug-in without --anywhere" -- "$cars" apply "$work/edited.TOVICK1" "$f"
unchanged "$f" "$work/original.SCM" "apply without --anywhere"
expect_exit 0 "apply --anywhere" -- "$cars" apply --anywhere "$work/edited.TOVICK1" "$f"
python3 - "$work/original.SCM" "$f" "$work/edited.TOVICK1" <<'PY' || fail "apply --anywhere bytes"
import sys
old, new = (open(p, "rb").read() for p in sys.argv[1:3])
WIDTH = {1: 4, 2: 2, 3: 2, 4: 1, 5: 2, 6: 2}
def params(data, op):  # (offset, width) of each of the 13 values
    at, out = op + 2, []
    for _ in range(13):
        out.append((at + 1, WIDTH[data[at]]))
        at += 1 + WIDTH[data[at]]
    return out
expected = {}
for line in open(sys.argv[3], "rb").read().decode().split("\r\n")[8:-1]:
    n, address, marker, car, x, y, z, heading, alarm, lock = (int(v) for v in line.split(","))
    p = params(old, address + 7)
    for (at, width), value in zip([p[0], p[1], p[2], p[3], (p[4][0], 1), p[8], p[9]],
                                  [x, y, z, heading, car, alarm, lock]):
        for k, byte in enumerate((value & 0xFFFF).to_bytes(2, "little")[:width]):
            expected[at + k] = byte
assert len(old) == len(new)
changed = {i for i in range(len(old)) if old[i] != new[i]}
assert changed <= set(expected), sorted(changed - set(expected))[:10]
assert all(new[i] == v for i, v in expected.items())
assert len(changed) >= 12, len(changed)
PY

# --- diff: the changes again, and a plug-in of them that equals the edited one.
expect_exit 7 "diff --anywhere" -- "$cars" diff --anywhere "$work/original.SCM" "$f"
expect_in "$work/out" "149 block(s), 8 changed" "diff summary"
expect_exit 0 "diff --anywhere --plugin" -- "$cars" diff --anywhere --plugin "$work/diff.TOVICK1" "$work/original.SCM" "$f"
python3 - "$work/diff.TOVICK1" "$work/edited.TOVICK1" <<'PY' || fail "diff --plugin differs from the edited plug-in"
import sys
def records(path):
    return [[int(v) for v in l.split(",")] for l in open(path, "rb").read().decode().split("\r\n")[8:-1]]
assert records(sys.argv[1]) == records(sys.argv[2]), (records(sys.argv[1]), records(sys.argv[2]))
PY
cp "$f" "$work/colour.SCM"
python3 - "$work/colour.SCM" "$work/f.json" <<'PY'
import json, sys
r = json.load(open(sys.argv[2]))["blocks"][9]
data = bytearray(open(sys.argv[1], "rb").read())
data[r["address"] + 24] = 7  # colour 1 of an 8-bit model: no plug-in carries it
open(sys.argv[1], "wb").write(data)
PY
expect_exit 5 "diff --anywhere of a colour" -- "$cars" diff --anywhere --plugin "$work/x.TOVICK1" "$f" "$work/colour.SCM"
expect_in "$work/err" "block 10 COLOUR 1" "uncarried colour named"
[ -e "$work/x.TOVICK1" ] && fail "a plug-in was written for a colour"

# --- Refusals: nothing written.
cp "$f" "$work/before.SCM"
expect_exit 5 "a 16-bit alarm" -- "$cars" apply --anywhere "$work/odd.TOVICK1" "$f"
expect_in "$work/err" "block 6: the instruction holds ALARM wider than the byte a plug-in writes" "16-bit alarm refused"
python3 - "$work/edited.TOVICK1" "$work/address.TOVICK1" "$work/marker.TOVICK1" "$work/beyond.TOVICK1" <<'PY'
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
def write(path, record):
    open(path, "wb").write(b"\r\n".join(lines[:8] + [record]) + b"\r\n")
fields = lines[8].split(b",")
write(sys.argv[2], b",".join([fields[0], b" %d " % (int(fields[1]) + 1)] + fields[2:]))
third = lines[10].split(b",")
write(sys.argv[3], b",".join(third[:2] + [b" 5 "] + third[3:]))
write(sys.argv[4], b",".join([b" 150 "] + fields[1:]))
PY
expect_exit 5 "a wrong address" -- "$cars" apply --anywhere "$work/address.TOVICK1" "$f"
expect_in "$work/err" "block 1 has the address" "wrong address"
expect_exit 5 "a wrong HICAR ID" -- "$cars" apply --anywhere "$work/marker.TOVICK1" "$f"
expect_in "$work/err" "block 3: HICAR ID 5 differs from the width marker 4" "wrong HICAR ID"
expect_exit 5 "a number beyond the instructions" -- "$cars" apply --anywhere "$work/beyond.TOVICK1" "$f"
expect_in "$work/err" "block 150 is not in this script's generator instructions (blocks 1 to 149)" "beyond"
expect_exit 0 "a demo plug-in" -- "$cars" export --blocks 1-3 -o "$work/demo.TOVICK1" "$work/demo/MAIN.SCM"
# Where the editor's blocks are the instructions, both exports are the same file.
expect_exit 0 "the demo exported --anywhere" -- "$cars" export --anywhere --blocks 1-3 -o "$work/demo-anywhere.TOVICK1" "$work/demo/MAIN.SCM"
cmp -s "$work/demo.TOVICK1" "$work/demo-anywhere.TOVICK1" || fail "the demo's exports differ"
expect_exit 5 "a demo plug-in on the foreign script" -- "$cars" apply --anywhere "$work/demo.TOVICK1" "$f"
unchanged "$f" "$work/before.SCM" "the refusals"

# --- No instruction at all: an empty list, and every command that must write refuses.
head -c 100000 /dev/zero >"$work/none.SCM"
cp "$work/none.SCM" "$work/none-before.SCM"
expect_exit 0 "listing of no instruction" -- "$cars" --anywhere --json "$work/none.SCM"
python3 -c "import json,sys; d=json.load(open(sys.argv[1])); assert d['blockCount']==0 and d['blocks']==[]" "$work/out" || fail "empty list"
expect_in "$work/err" "no parked-car generator instruction (opcode 0x014B) anywhere in the file" "none note"
expect_exit 5 "export of no instruction" -- "$cars" export --anywhere --blocks all -o "$work/n.TOVICK1" "$work/none.SCM"
[ -e "$work/n.TOVICK1" ] && fail "a plug-in was exported from no instruction"
expect_exit 5 "apply to no instruction" -- "$cars" apply --anywhere "$work/edited.TOVICK1" "$work/none.SCM"
expect_in "$work/err" "holds no parked-car generator instruction; nothing written" "apply to none"
expect_exit 5 "diff --plugin of no instruction" -- "$cars" diff --anywhere --plugin "$work/n.TOVICK1" "$work/none.SCM" "$work/none.SCM"
[ -e "$work/n.TOVICK1" ] && fail "a diff plug-in was written from no instruction"
unchanged "$work/none.SCM" "$work/none-before.SCM" "no instruction"

# --- Sizes: no minimum with --anywhere; 64 MiB is the most any command reads.
dd if="$work/original.SCM" of="$work/short.SCM" bs=1 skip=19993 count=41 status=none
expect_exit 0 "a 41-byte script with --anywhere" -- "$cars" --anywhere --json "$work/short.SCM"
expect_in "$work/out" '"blockCount": 1' "one instruction in 41 bytes"
expect_exit 3 "the same without --anywhere" -- "$cars" "$work/short.SCM"
mkfifo "$work/fifo.SCM"
for input in "$work/fifo.SCM" "$work/f"; do
  expect_exit 2 "no regular file: $input" -- timeout 10 "$cars" --anywhere "$input"
done
truncate -s $((64 * 1024 * 1024)) "$work/limit.SCM"
expect_exit 0 "a 64 MiB script" -- "$cars" --anywhere "$work/limit.SCM"
truncate -s $((64 * 1024 * 1024 + 1)) "$work/big.SCM"
for command in "" "--anywhere" "map" "export --blocks all" "apply $work/edited.TOVICK1" "diff $f"; do
  # shellcheck disable=SC2086
  expect_exit 2 "a script past 64 MiB ($command)" -- "$cars" $command "$work/big.SCM"
  expect_in "$work/err" "Couldn't use the .SCM file (larger than 64 MiB): $work/big.SCM" "too large ($command)"
done

# --- Help texts name the option and the bound.
for command in export apply diff; do
  expect_exit 0 "$command --help" -- "$cars" $command --help
  expect_in "$work/out" "--anywhere" "$command --help"
done
expect_exit 0 "--help" -- "$cars" --help
expect_in "$work/out" "or a script is larger" "64 MiB in --help"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "anywhere CLI: all checks passed"
