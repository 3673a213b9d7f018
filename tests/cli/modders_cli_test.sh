#!/usr/bin/env bash
# tovick-cars for modders on generated data: the diagnosis of a table outside the scan window and
# --anywhere, the SVG map, and the diff with its plug-in.
# Usage: modders_cli_test.sh TOVICK-CARS TOVICK-GEN WORK-DIR
set -u
cars=$1 gen=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/cli_checks.sh"

"$gen" --dir "$work/a" --seed 12 >/dev/null || fail "generator (original)"
"$gen" --dir "$work/b" --seed 12 --changed >/dev/null || fail "generator (changed)"
"$gen" --dir "$work/early" --seed 12 --table-at 30000 >/dev/null || fail "generator (early table)"
"$gen" --dir "$work/other" --seed 13 >/dev/null || fail "generator (other seed)"
"$gen" --dir "$work/broken" --seed 12 --break-strict >/dev/null || fail "generator (broken)"
a=$work/a/MAIN.SCM b=$work/b/MAIN.SCM early=$work/early/MAIN.SCM
ide=$work/a/DEFAULT.IDE zones=$work/a/TovickZon.txt

# --- The diagnosis: records before the window, which the editor cannot see.
diagnosis="no block in the editor's scan window 65224-70239, but 100 parked-car records at offsets 30000-"
expect_exit 0 "listing of an early table" -- "$cars" "$early"
expect_in "$work/err" "$diagnosis" "diagnosis (listing)"
expect_in "$work/err" "so this script was compiled differently and cannot be edited here" "diagnosis end"
expect_in "$work/out" ": 70204 bytes, 0 block(s)" "early table: no block listed"
expect_exit 0 "json of an early table" -- "$cars" --json "$early"
expect_in "$work/err" "$diagnosis" "diagnosis (json)"
expect_exit 0 "map of an early table" -- "$cars" map "$early"
expect_in "$work/err" "$diagnosis" "diagnosis (map)"
expect_exit 0 "a table in the window" -- "$cars" "$a"
[ -s "$work/err" ] && fail "a table in the window: a note on stderr: $(cat "$work/err")"

# An output that cannot be written is a failed write (6), not a file that could not be opened (2).
for command in "map -o $work/nowhere/map.svg" "diff --plugin $work/nowhere/x.TOVICK1 $a"; do
  # shellcheck disable=SC2086
  expect_exit 6 "unwritable output of $command" -- "$cars" $command "$b"
  expect_in "$work/err" "cannot write the" "unwritable output of $command"
done

# --anywhere lists the early records as the window's blocks of the same seed, shifted.
"$cars" --json --ide "$ide" "$a" >"$work/a.json" 2>/dev/null || fail "json of the original"
expect_exit 0 "--anywhere" -- "$cars" --json --anywhere --ide "$ide" "$early"
python3 - "$work/a.json" "$work/out" <<'PY' || fail "--anywhere content"
import json, sys
window, anywhere = (json.load(open(p, encoding="utf-8")) for p in sys.argv[1:3])
assert anywhere["anywhere"] is True and window["anywhere"] is False
assert anywhere["blockCount"] == 100, anywhere["blockCount"]
for w, e in zip(window["blocks"], anywhere["blocks"]):
    assert e["address"] == w["address"] - 65300 + 30000, (w, e)
    for key in ("block", "carId", "name", "xPos", "yPos", "heading", "alarm", "lock", "unsafe"):
        assert e[key] == w[key], (key, w, e)
PY
expect_exit 0 "--anywhere table" -- "$cars" --anywhere "$early"
expect_in "$work/out" "100 parked-car record(s) anywhere in the file" "--anywhere table header"

# --- The map, parsed as XML against the JSON listing of the same script.
expect_exit 0 "map" -- "$cars" map --ide "$ide" --zones "$zones" -o "$work/map.svg" "$a"
"$cars" --json --ide "$ide" --zones "$zones" "$a" >"$work/a-zones.json" 2>/dev/null
python3 - "$work/map.svg" "$work/a-zones.json" "$zones" <<'PY' || fail "map content"
import json, re, sys
import xml.etree.ElementTree as ET
NS = "{http://www.w3.org/2000/svg}"
svg = ET.parse(sys.argv[1]).getroot()
doc = json.load(open(sys.argv[2], encoding="utf-8"))
zone_lines = [l.split(",") for l in open(sys.argv[3], encoding="ascii").read().splitlines() if l]
problems = []
def check(cond, what):
    if not cond: problems.append(what)

check(svg.tag == NS + "svg", "root element")
cars = [g for g in svg.iter(NS + "g") if "car" in g.get("class", "").split()]
check(len(cars) == len(doc["blocks"]) == 100, "one marker per block: %d" % len(cars))
unsafe_fill = "#d62728"
for block, g in zip(doc["blocks"], cars):
    n = block["block"]
    check(g.get("id") == "block-%d" % n, "marker order at block %d" % n)
    m = re.fullmatch(r"translate\((\S+) (\S+)\) rotate\((\S+)\)", g.get("transform"))
    check(m is not None, "transform of block %d" % n)
    if m:
        x, y, r = map(float, m.groups())
        check(x == block["xPos"] / 16 and y == -block["yPos"] / 16, "position of block %d" % n)
        check(r == -block["heading"] / 16, "heading of block %d" % n)
    classes = g.get("class").split()
    check(("two-byte" if block["width"] == 2 else "one-byte") in classes, "width of block %d" % n)
    fill = g.find(NS + "path").get("fill")
    check((fill == unsafe_fill) == block["unsafe"], "unsafe colour of block %d" % n)
    title = g.find(NS + "title")
    check(title is not None and title.text.startswith("Block %d\n" % n), "tooltip of block %d" % n)
    if title is not None:
        check(block["name"] and block["name"] in title.text, "name in tooltip of block %d" % n)
        zones = ", ".join(block["zones"]) or "none"
        check(title.text.endswith("Zones: " + zones), "zones in tooltip of block %d" % n)
check(any(b["unsafe"] for b in doc["blocks"]), "the demo has unsafe blocks")

zone_groups = [g for g in svg.iter(NS + "g") if g.get("class") == "zone"]
check(len(zone_groups) == len(zone_lines), "one rectangle per zone")
for line, g in zip(zone_lines, zone_groups):
    name, x0, y0, x1, y1 = line[0], *(int(v) / 16 for v in line[1:])
    rect = g.find(NS + "rect")
    got = [float(rect.get(k)) for k in ("x", "y", "width", "height")]
    check(got == [x0, -y1, x1 - x0, y1 - y0], "rectangle of zone " + name)
    check(g.find(NS + "text").text == name, "label of zone " + name)

labels = [t.text for g in svg.iter(NS + "g") if g.get("id") == "grid-labels" for t in g]
check(labels and all(int(t) % 500 == 0 for t in labels), "grid labels every 500 units")
xs = [b["xPos"] / 16 for b in doc["blocks"]]
check(min(map(int, labels)) <= min(xs) and max(map(int, labels)) >= max(xs), "grid covers the cars")
check(any(g.get("id") == "legend" for g in svg.iter(NS + "g")), "legend")
if problems:
    print("map problems:", problems[:10]); sys.exit(1)
PY
expect_exit 4 "map of a malformed table" -- "$cars" map "$work/broken/MAIN.SCM"
[ "$(grep -c 'class="car ' "$work/out")" -eq 9 ] || fail "map of a malformed table: not 9 markers"
expect_exit 1 "map without a script" -- "$cars" map -o "$work/x.svg"

# --- The diff: known changes, as JSON against both listings.
"$cars" --json "$b" >"$work/b.json" 2>/dev/null
expect_exit 7 "diff of changed scripts" -- "$cars" diff "$a" "$b"
expect_in "$work/out" "100 block(s), 5 changed" "diff summary"
expect_exit 7 "diff --json" -- "$cars" diff --json "$a" "$b"
python3 - "$work/out" "$work/a.json" "$work/b.json" <<'PY' || fail "diff json content"
import json, sys
diff, old, new = (json.load(open(p, encoding="utf-8")) for p in sys.argv[1:4])
names = {"CAR ID": "carId", "X-POS": "xPos", "Y-POS": "yPos", "UTELLME": "unknownWord",
         "HEADING": "heading", "ALARM": "alarm", "LOCK": "lock"}
assert diff["comparable"] and diff["allCarried"] and diff["plugin"] is None, diff
assert [b["block"] for b in diff["blocks"]] == [1, 2, 7, 60, 100], diff["blocks"]
widths = {old["blocks"][b["block"] - 1]["width"] for b in diff["blocks"]}
assert widths == {1, 2}, widths
expected = []
for o, n in zip(old["blocks"], new["blocks"]):
    for field, key in names.items():
        if o[key] != n[key]:
            expected.append((o["block"], field, o[key], n[key]))
got = [(b["block"], c["field"], c["old"], c["new"]) for b in diff["blocks"] for c in b["changes"]]
assert sorted(got) == sorted(expected), (got, expected)
PY

# With --plugin: the editor's plug-in format, and applied to the original it gives the changed script.
expect_exit 0 "diff --plugin" -- "$cars" diff --plugin "$work/mod.TOVICK1" "$a" "$b"
expect_in "$work/out" "plug-in written: $work/mod.TOVICK1 (5 block(s))" "plug-in note"
cp "$a" "$work/patched.SCM"
python3 - "$work/mod.TOVICK1" "$work/patched.SCM" "$b" <<'PY' || fail "plug-in applied"
import sys
text = open(sys.argv[1], "rb").read()
lines = text.split(b"\r\n")
assert lines[0] == b"Tovick Plashgoons Plug-In Version 1" and lines[-1] == b"", lines[:2]
assert text.count(b"\n") == text.count(b"\r\n"), "CR LF lines"
assert all(l.startswith(b"#") for l in lines[1:8]) and len(lines) == 1 + 7 + 5 + 1
data = bytearray(open(sys.argv[2], "rb").read())
for line in lines[8:-1]:
    assert line.startswith(b" ") and line.endswith(b" ") and line.count(b",") == 9, line
    block, address, marker, car, x, y, word, heading, alarm, lock = (int(f) for f in line.split(b","))
    h = 1 if marker == 5 else 0
    assert data[address + 21] == marker
    data[address + 22] = car
    for offset, value in ((10, x), (13, y), (16, word), (19, heading)):
        data[address + offset:address + offset + 2] = (value & 0xFFFF).to_bytes(2, "little")
    data[address + 30 + h] = alarm
    data[address + 32 + h] = lock
assert bytes(data) == open(sys.argv[3], "rb").read(), "patched original != changed script"
PY
expect_exit 0 "diff of a script with itself" -- "$cars" diff --plugin "$work/none.TOVICK1" "$a" "$a"
[ "$(wc -l <"$work/none.TOVICK1")" -eq 8 ] || fail "a plug-in of no change holds the preamble only"

# Tables that part, and changes no plug-in carries: exit 5, no plug-in.
expect_exit 5 "diff of different tables" -- "$cars" diff --plugin "$work/x.TOVICK1" "$a" "$work/other/MAIN.SCM"
expect_in "$work/err" "the car tables part at block" "parting message"
[ -e "$work/x.TOVICK1" ] && fail "a plug-in was written for tables that part"
cp "$b" "$work/highbyte.SCM"
python3 - "$work/highbyte.SCM" "$work/a.json" <<'PY'
import json, sys
block2 = json.load(open(sys.argv[2]))["blocks"][1]
assert block2["width"] == 2
data = bytearray(open(sys.argv[1], "rb").read())
data[block2["address"] + 23] = 1
open(sys.argv[1], "wb").write(data)
PY
expect_exit 5 "diff with an id high byte" -- "$cars" diff --plugin "$work/x.TOVICK1" "$a" "$work/highbyte.SCM"
expect_in "$work/err" "block 2 ID HIGH BYTE" "uncarried change named"
[ -e "$work/x.TOVICK1" ] && fail "a plug-in was written for a change it cannot carry"
expect_exit 7 "the same, without --plugin" -- "$cars" diff "$a" "$work/highbyte.SCM"
expect_in "$work/out" "(no plug-in carries this)" "uncarried change marked"
expect_exit 4 "diff with a malformed table" -- "$cars" diff "$a" "$work/broken/MAIN.SCM"
expect_exit 1 "diff of one script" -- "$cars" diff "$a"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "modders CLI: all checks passed"
