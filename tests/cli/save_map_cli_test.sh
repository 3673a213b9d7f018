#!/usr/bin/env bash
# tovick-cars save map on a save that tovick-gen --save writes: one marker per generator in use,
# the zones drawn, and a generator switched off (its uses patched to 0, checksum renewed) grey.
# Usage: save_map_cli_test.sh TOVICK-CARS TOVICK-GEN WORK-DIR
set -u
cars=$1 gen=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/cli_checks.sh"

"$gen" --dir "$work/a" --seed 5 --save >/dev/null || fail "generator (save)"
save=$work/a/GTA3sf1.b

expect_exit 0 "save map --help" -- "$cars" save map --help
expect_in "$work/out" "6 the" "exit codes in save map --help"
expect_exit 1 "save map without a save" -- "$cars" save map
expect_exit 1 "save map over its save" -- "$cars" save map -o "$save" "$save"

expect_exit 0 "list --json" -- "$cars" save list --json "$save"
cp "$work/out" "$work/list.json"
count=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["generatorCount"])' "$work/list.json")
expect_exit 0 "save map" -- "$cars" save map --ide "$work/a/DEFAULT.IDE" \
  --zones "$work/a/TovickZon.txt" -o "$work/map.svg" "$save"
[ "$(grep -c 'id="slot-' "$work/map.svg")" -eq "$count" ] || fail "not one marker per generator"
grep -q '<g class="zone">' "$work/map.svg" || fail "no zone drawn"
grep -q '<title>slot 0' "$work/map.svg" || fail "no tooltip of slot 0"

# Slot 0 switched off: its uses (slot byte 0x28) set to 0, found by its model and position.
python3 - "$work/list.json" "$save" "$work/off.b" <<'PY' || fail "patching the save"
import json, struct, sys
slot = json.load(open(sys.argv[1]))["slots"][0]
data = bytearray(open(sys.argv[2], "rb").read())
key = struct.pack("<i3f", slot["model"], slot["x"], slot["y"], slot["z"])
at = data.index(key)
assert data.find(key, at + 1) < 0
data[at + 0x28:at + 0x2A] = b"\0\0"
data[-4:] = struct.pack("<I", sum(data[:-4]) & 0xFFFFFFFF)
open(sys.argv[3], "wb").write(data)
PY
expect_exit 0 "save map, one off" -- "$cars" save map -o "$work/off.svg" "$work/off.b"
expect_in "$work/off.svg" 'class="car generator off" id="slot-0"' "slot 0 switched off"
[ "$(grep -c '#9a9a9a"/></g>' "$work/off.svg")" -eq 1 ] || fail "not exactly one grey marker"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "save map CLI: all checks passed"
