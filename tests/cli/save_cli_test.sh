#!/usr/bin/env bash
# tovick-cars save list and save sync on saves that tovick-gen --save writes: the listing against
# the script, a sync of the unchanged script that changes no byte, known edits landing exactly in
# their slots (checked independently from the raw bytes), and every refusal leaving all as it was.
# Usage: save_cli_test.sh TOVICK-CARS TOVICK-GEN WORK-DIR
set -u
cars=$1 gen=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/cli_checks.sh"

"$gen" --dir "$work/a" --seed 5 --save >/dev/null || fail "generator (save)"
"$gen" --dir "$work/other" --seed 6 --save >/dev/null || fail "generator (other seed)"
a=$work/a/MAIN.SCM save=$work/a/GTA3sf1.b
cp "$save" "$work/pristine.b"

# --- Help and usage.
expect_exit 0 "--help" -- "$cars" --help
expect_in "$work/out" "tovick-cars save list [--json] [--ide DEFAULT.IDE] SAVE.b" "save list in --help"
expect_in "$work/out" "tovick-cars save sync [--check] [--force] MAIN.SCM SAVE.b [SAVE.b...]" "save sync in --help"
for command in "save" "save list" "save sync"; do
  # shellcheck disable=SC2086
  expect_exit 0 "$command --help" -- "$cars" $command --help
  expect_in "$work/out" "5 not a GTA III save" "exit 5 in $command --help"
done
expect_in "$work/out" "6 a save could not be written" "exit 6 in save sync --help"
expect_exit 1 "save without a command" -- "$cars" save
expect_exit 1 "unknown save command" -- "$cars" save frob "$save"
expect_exit 1 "sync without a save" -- "$cars" save sync "$a"
expect_exit 1 "sync unknown option" -- "$cars" save sync --frob "$a" "$save"
expect_exit 1 "list of two saves" -- "$cars" save list "$save" "$save"

# --- The listing: every slot against the script's own values (block n in slot n - 3, blocks 1
# and 2 in the last two slots), checked from the JSON of both.
expect_exit 0 "list" -- "$cars" save list --ide "$work/a/DEFAULT.IDE" "$save"
expect_in "$work/out" "GTA3sf1.b: GTA III PC save, 201820 bytes, 100 car generator(s) in use" "list summary"
expect_in "$work/out" "SLOT  MODEL  NAME" "list header"
[ "$(grep -cE '^ +[0-9]+ +-?[0-9]+ ' "$work/out")" -eq 100 ] || fail "list: not 100 rows"
expect_exit 0 "list --json" -- "$cars" save list --json "$save"
cp "$work/out" "$work/list.json"
"$cars" --json "$a" >"$work/script.json" || fail "script listing"
python3 - "$work/list.json" "$work/script.json" <<'PY' || fail "list --json against the script"
import json, sys
doc, script = json.load(open(sys.argv[1])), json.load(open(sys.argv[2]))
assert doc["length"] == 201820 and doc["checksumOk"] is True and doc["generatorCount"] == 100
assert doc["platform"] == "PC"
keys = ["slot", "model", "name", "x", "y", "z", "heading", "colour1", "colour2", "forceSpawn",
        "alarm", "lock", "minDelay", "maxDelay", "usesRemaining"]
for b in script["blocks"]:
    n = b["block"]
    s = doc["slots"][n - 3 if n > 2 else 97 + n]
    assert list(s) == keys, list(s)
    model = b["carId"] - 256 if b["widthMarker"] == 4 and b["carId"] > 127 else b["carId"]
    ztext = b["unknownWord"] - 65536 if b["unknownWord"] > 32767 else b["unknownWord"]
    want = (model, b["xPos"] / 16, b["yPos"] / 16, ztext / 16, b["heading"] / 16, b["alarm"], b["lock"])
    got = (s["model"], s["x"], s["y"], s["z"], s["heading"], s["alarm"], s["lock"])
    assert got == want, (n, got, want, s)
    # Instructions followed by other code end in a minimum delay of 1 (257 after the odd follow
    # byte, a 16-bit delay), the others in 0.
    assert (s["colour1"], s["colour2"], s["forceSpawn"], s["maxDelay"]) == (-1, -1, 0, 10000)
    assert s["minDelay"] in (0, 1, 257)
PY

# --- The unchanged script changes no byte of three saves, and makes no .bak.
cp "$save" "$work/GTA3sf2.b" && cp "$save" "$work/copy of my save"
expect_exit 0 "sync unchanged" -- "$cars" save sync "$a" "$save" "$work/GTA3sf2.b" "$work/copy of my save"
[ "$(grep -c '^0 generator(s) changed$' "$work/out")" -eq 3 ] || fail "sync unchanged: not 3 x 0 changed"
[ "$(wc -l <"$work/out")" -eq 3 ] || fail "sync unchanged: other lines on standard output"
expect_in "$work/err" "which the game reads as -" "the unsafe block is named"
for f in "$save" "$work/GTA3sf2.b" "$work/copy of my save"; do same_file "$f" "$work/pristine.b" "unchanged sync"; done
ls "$work"/*.bak "$work"/a/*.bak >/dev/null 2>&1 && fail "sync unchanged: a .bak was made"

# --- Known edits, patched into a copy of the script's bytes: alarm, lock, heading, position, a
# model the save holds, a model it does not hold, and block 9, which shares block 8's variable.
mkdir -p "$work/edit" && cp "$a" "$work/edit/MAIN.SCM"
python3 - "$work/script.json" "$work/edit/MAIN.SCM" "$work/list.json" >"$work/edits" <<'PY' || fail "editing the script"
import json, sys
script, path, save = json.load(open(sys.argv[1])), sys.argv[2], json.load(open(sys.argv[3]))
data = bytearray(open(path, "rb").read())
blocks = {b["block"]: b for b in script["blocks"]}
def word(at, value): data[at:at + 2] = (value & 0xFFFF).to_bytes(2, "little")
def one_byte(n): return blocks[n]["widthMarker"] == 4
held = sorted({s["model"] for s in save["slots"] if 90 <= s["model"] <= 127})
free = [m for m in range(90, 128) if m not in held]
b = blocks[6];  data[b["address"] + 30 + b["hiCar"]] = 77          # alarm
b = blocks[10]; data[b["address"] + 32 + b["hiCar"]] = 33          # lock
b = blocks[11]; word(b["address"] + 19, 1234)                      # heading
b = blocks[12]; word(b["address"] + 10, b["xPos"] + 160); word(b["address"] + 13, -5)  # X, Y
m = [n for n in range(13, 40) if one_byte(n) and blocks[n]["carId"] != held[0]][0]
data[blocks[m]["address"] + 22] = held[0]                          # a model the save holds
f = [n for n in range(m + 1, 50) if one_byte(n)][0]
data[blocks[f]["address"] + 22] = free[0]                          # a model it does not hold
b = blocks[9];  word(b["address"] + 16, 320)                       # Z of the block sharing a variable
open(path, "wb").write(data)
print(m, held[0], f, free[0])
PY
read -r held_block held_model free_block free_model <"$work/edits"
expect_exit 0 "sync --check" -- "$cars" save sync --check "$work/edit/MAIN.SCM" "$save"
cp "$work/out" "$work/check.out"
same_file "$save" "$work/pristine.b" "--check writes nothing"
expect_exit 0 "sync edits" -- "$cars" save sync "$work/edit/MAIN.SCM" "$save"
cmp -s "$work/out" "$work/check.out" || fail "sync and --check print differently"
same_file "$save.bak" "$work/pristine.b" ".bak is the old file"
expect_in "$work/out" "$save slot 3: ALARM 0 -> 77" "alarm line"
expect_in "$work/out" "$save slot 7: LOCK 0 -> 33" "lock line"
expect_in "$work/out" "$save slot 8: HEADING" "heading line"
expect_in "$work/out" "$save slot 9: Y" "position line"
expect_in "$work/out" "$save slot 6: Z" "shared variable's block 9 in its own slot"
expect_in "$work/out" "7 generator(s) changed" "count of changed slots"
expect_in "$work/err" "slot $((free_block - 3)): no slot of this save holds model $free_model, so its bounding box is kept" "box kept"
python3 - "$work/pristine.b" "$save" "$held_block" "$held_model" "$free_block" <<'PY' || fail "the patched save"
import struct, sys
old, new = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
held_block, held_model, free_block = int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
assert len(new) == 201820 and struct.unpack_from("<I", new, 0x31458)[0] == sum(new[:0x31458]) % 2**32
at = 0
for _ in range(13): at += 4 + struct.unpack_from("<I", old, at)[0]
slots = at + 4 + 32
changed = {3, 6, 7, 8, 9, held_block - 3, free_block - 3}
allowed = set(range(0x31458, 0x3145C))
for s in changed:
    allowed |= set(range(slots + 72 * s, slots + 72 * s + 0x20))
box = lambda data, s: data[slots + 72 * s + 0x2C:slots + 72 * s + 0x48]
donor = min(s for s in range(100) if struct.unpack_from("<i", old, slots + 72 * s)[0] == held_model)
allowed |= set(range(slots + 72 * (held_block - 3) + 0x2C, slots + 72 * (held_block - 3) + 0x48))
diff = [i for i in range(len(old)) if old[i] != new[i]]
assert all(i in allowed for i in diff), [hex(i) for i in diff if i not in allowed][:5]
assert box(new, held_block - 3) == box(old, donor), "box of the held model"
assert box(new, free_block - 3) == box(old, free_block - 3), "box kept"
assert struct.unpack_from("<i", new, slots + 72 * (held_block - 3))[0] == held_model
assert struct.unpack_from("<f", new, slots + 72 * 6 + 0x0C)[0] == 20.0  # block 9's Z, 320 / 16
assert struct.unpack_from("<f", new, slots + 72 * 8 + 0x10)[0] == 1234 / 16
PY
# Again: the save now holds the script's values, so nothing changes, and .bak is renewed.
expect_exit 0 "sync again" -- "$cars" save sync "$work/edit/MAIN.SCM" "$save"
expect_in "$work/out" "0 generator(s) changed" "second sync changes nothing"
same_file "$save.bak" "$work/pristine.b" ".bak untouched when nothing is written"

# --- Files that are no GTA III PC save: refused with exit 5, nothing written, no .bak.
python3 - "$work/pristine.b" "$work/bad" <<'PY' || fail "making the bad saves"
import os, struct, sys
good, out = open(sys.argv[1], "rb").read(), sys.argv[2]
os.makedirs(out, exist_ok=True)
def fix(d):
    d = bytearray(d); struct.pack_into("<I", d, 0x31458, sum(d[:0x31458]) % 2**32); return bytes(d)
def block(d, n):
    at = 0
    for _ in range(n): at += 4 + struct.unpack_from("<I", d, at)[0]
    return at
def put(d, at, v):
    d = bytearray(d); struct.pack_into("<I", d, at, v); return fix(d)
cgn = block(good, 13) + 4
bad = {
    "empty": b"", "short": good[:-1], "long": good + b"\0",
    "checksum": good[:-4] + bytes([good[-4] ^ 1]) + good[-3:],
    "blocks": put(good, block(good, 21), struct.unpack_from("<I", good, block(good, 21))[0] - 4),
    "no-cgn": fix(good[:cgn + 4] + b"CGX" + good[cgn + 7:]),
    "array": put(good, cgn + 28, 159 * 72),
    "in-use": put(good, cgn + 16, 161),
}
for name, data in bad.items(): open(os.path.join(out, name + ".b"), "wb").write(data)
PY
for name in empty short long checksum blocks no-cgn array in-use; do
  cp "$work/bad/$name.b" "$work/bad/$name.orig"
  cp "$work/pristine.b" "$work/first.b"
  expect_exit 5 "sync refuses $name" -- "$cars" save sync "$work/edit/MAIN.SCM" "$work/first.b" "$work/bad/$name.b"
  if [ "$name" = checksum ]; then
    expect_in "$work/err" "a damaged save; nothing written" "checksum message"
  else
    expect_in "$work/err" "is not a GTA III save" "$name message"
  fi
  same_file "$work/bad/$name.b" "$work/bad/$name.orig" "$name untouched"
  same_file "$work/first.b" "$work/pristine.b" "$name: the save before it is not written either"
  [ -e "$work/first.b.bak" ] || [ -e "$work/bad/$name.b.bak" ] && fail "$name: a .bak was made"
  [ -s "$work/out" ] && fail "$name: something on standard output"
  expect_exit 5 "list refuses $name" -- "$cars" save list "$work/bad/$name.b"
done
# A damaged save is listed all the same, and the run exits 5.
expect_exit 5 "list of a damaged save" -- "$cars" save list --json "$work/bad/checksum.b"
expect_in "$work/out" '"checksumOk": false' "damaged save listed"

# --- A save made with another script: refused, unless --force.
cp "$work/other/GTA3sf1.b" "$work/other.b"
expect_exit 5 "another script's save" -- "$cars" save sync "$a" "$work/other.b"
expect_in "$work/err" "does not seem to be made with" "another script message"
same_file "$work/other.b" "$work/other/GTA3sf1.b" "another script's save untouched"
expect_exit 0 "another script's save, --force" -- "$cars" save sync --force --check "$a" "$work/other.b"

# --- Every platform: listed by name; an unchanged script changes no byte; the changed one's edits
# land as on the PC and list with a valid checksum. No save of a run naming an Xbox one is written.
"$gen" --dir "$work/changed" --seed 5 --changed >/dev/null || fail "generator (changed)"
for platform in PC Android iOS PS2 PS2-Australia PS2-Japan Xbox; do
  dir=$work/platform/$platform name=${platform/-/ } p=$work/platform/$platform/GTA3sf1.b
  "$gen" --dir "$dir" --seed 5 --platform "$platform" >/dev/null || fail "generator ($platform)"
  cp "$p" "$dir/pristine.b"
  expect_exit 0 "$platform list" -- "$cars" save list "$p"
  expect_in "$work/out" "GTA3sf1.b: GTA III $name save, " "$platform named in the listing"
  expect_exit 0 "$platform list --json" -- "$cars" save list --json "$p"
  expect_in "$work/out" "\"platform\": \"$name\"" "$platform named in the JSON"
  if [ "$platform" = Xbox ]; then
    cp "$work/pristine.b" "$work/before-xbox.b"
    expect_exit 5 "Xbox sync" -- "$cars" save sync "$work/changed/MAIN.SCM" "$work/before-xbox.b" "$p"
    expect_in "$work/err" "20-byte signature" "Xbox refusal names the signature"
    same_file "$p" "$dir/pristine.b" "Xbox save untouched"
    same_file "$work/before-xbox.b" "$work/pristine.b" "the save before the Xbox one untouched"
    ls "$dir"/*.bak "$work"/before-xbox.b.* >/dev/null 2>&1 && fail "Xbox sync made a file"
    expect_exit 0 "Xbox sync --check" -- "$cars" save sync --check "$work/changed/MAIN.SCM" "$p"
    continue
  fi
  expect_exit 0 "$platform sync unchanged" -- "$cars" save sync "$dir/MAIN.SCM" "$p"
  same_file "$p" "$dir/pristine.b" "$platform: the unchanged script changes no byte"
  expect_exit 0 "$platform sync changed" -- "$cars" save sync "$work/changed/MAIN.SCM" "$p"
  sed "s#$p #SAVE #" "$work/out" >"$dir/changes"
  expect_exit 0 "$platform list after the sync" -- "$cars" save list "$p"
  sed 1d "$work/out" >"$dir/list"
  cmp -s "$dir/changes" "$work/platform/PC/changes" && cmp -s "$dir/list" "$work/platform/PC/list" ||
    fail "$platform: the changes or the listing after them differ from the PC's"
done
grep -q "slot" "$work/platform/PC/changes" || fail "the changed script changes nothing on the PC"

# --- Not regular files, missing files, a short script.
mkfifo "$work/fifo.b"
expect_exit 2 "FIFO save" -- "$cars" save sync "$a" "$work/fifo.b"
expect_exit 2 "FIFO list" -- "$cars" save list "$work/fifo.b"
expect_exit 2 "FIFO script" -- "$cars" save sync "$work/fifo.b" "$save"
expect_exit 2 "folder save" -- "$cars" save sync "$a" "$work/bad"
expect_exit 2 "missing save" -- "$cars" save list "$work/none.b"
"$gen" --dir "$work/short" --seed 5 --length 70203 >/dev/null
# No minimum length: the instructions are read anywhere in the script.
expect_exit 0 "short script" -- "$cars" save sync --check "$work/short/MAIN.SCM" "$save"

# --- Writing fails on the second save (its .bak cannot be made): exit 6, the first stays written
# with its .bak, the second is as it was.
cp "$work/pristine.b" "$work/w1.b" && cp "$work/pristine.b" "$work/w2.b" && mkdir "$work/w2.b.bak"
expect_exit 6 "second save cannot be written" -- "$cars" save sync "$work/edit/MAIN.SCM" "$work/w1.b" "$work/w2.b"
expect_in "$work/err" "w2.b could not be written" "write failure message"
same_file "$work/w1.b" "$save" "the first save is written"
same_file "$work/w1.b.bak" "$work/pristine.b" "the first save's .bak"
same_file "$work/w2.b" "$work/pristine.b" "the second save is as it was"
ls "$work"/w2.b.* | grep -vqx "$work/w2.b.bak" && fail "a file left beside the second save"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "save CLI: all checks passed"
