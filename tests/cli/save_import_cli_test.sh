#!/usr/bin/env bash
# save export and save import on generated saves: JSON and CSV edits landing alike, an edited save
# carried to another platform, the export's round trip, refusals leaving every save as it was.
# Usage: save_import_cli_test.sh TOVICK-CARS TOVICK-GEN WORK-DIR
set -u
cars=$1 gen=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/cli_checks.sh"

for platform in PC Android PS2-Japan Xbox; do
  "$gen" --dir "$work/$platform" --seed 5 --platform "$platform" >/dev/null || fail "generator ($platform)"
done
pc=$work/PC/GTA3sf1.b phone=$work/Android/GTA3sf1.b japan=$work/PS2-Japan/GTA3sf1.b
cp "$phone" "$work/phone-csv.b"

expect_exit 0 "export --csv" -- "$cars" save export --csv "$pc"
[ "$(head -n 1 "$work/out")" = $'slot,model,name,x,y,z,heading,colour1,colour2,forceSpawn,alarm,lock,minDelay,maxDelay,usesRemaining\r' ] ||
  fail "export --csv header"
"$cars" save export -o "$work/pc.json" "$pc" && "$cars" save list --json "$pc" >"$work/list.json"
same_file "$work/pc.json" "$work/list.json" "export is the listing's JSON"

# --- One edit as JSON and as CSV (columns reversed, empty cells): the unsafe model made a vehicle,
# three fields, 52 new generators (one of a model the save lacks, 2 without a slot): 152 in all.
python3 - "$work/pc.json" "$work/edit.json" "$work/edit.csv" <<'PY' || fail "the edit files"
import json, sys
doc = json.load(open(sys.argv[1]))
unsafe = next(s["slot"] for s in doc["slots"] if s["model"] < 90)
used = {s["model"] for s in doc["slots"]}
lacking = next(m for m in range(90, 151) if m not in used)
records = [{"slot": unsafe, "model": 130}, {"slot": 4, "alarm": 40},
           {"slot": 9, "x": 100.5, "name": "any"}, {"slot": 5, "usesRemaining": 0}]
for i in range(52):
    r = {"model": lacking if i == 0 else 110 + i % 30, "x": i * 8.0625, "y": i * 3.5, "z": 12}
    records.append(dict(r, slot=100 + i) if i < 50 else r)
json.dump({"slots": records}, open(sys.argv[2], "w"), indent=1)
columns = list(reversed(doc["slots"][0].keys()))
with open(sys.argv[3], "w", newline="") as f:
    f.write(",".join(columns) + "\r\n")
    for r in records:
        f.write(",".join(str(r.get(c, "")) for c in columns) + "\r\n")
PY

cp "$pc" "$work/pc-pristine.b" && cp "$pc" "$work/first.b"
expect_exit 0 "import --check" -- "$cars" save import --check "$work/edit.json" "$pc"
same_file "$pc" "$work/pc-pristine.b" "--check writes nothing"
[ -e "$pc.bak" ] && fail "--check made a .bak"
expect_in "$work/out" "GTA3sf1.b slot 4: ALARM 0 -> 40" "a change line"
expect_in "$work/out" "GTA3sf1.b slot 100: added, model" "an added line"
expect_in "$work/out" "4 generator(s) changed, 52 added" "the summary"
expect_exit 0 "import JSON" -- "$cars" save import "$work/edit.json" "$pc"
same_file "$pc.bak" "$work/pc-pristine.b" "the .bak is the save as it was"
expect_in "$work/err" "no slot of this save holds model" "the lacking model's box said"
expect_exit 0 "import JSON into a phone" -- "$cars" save import "$work/edit.json" "$phone"
expect_exit 0 "import CSV into a phone" -- "$cars" save import "$work/edit.csv" "$work/phone-csv.b"
same_file "$phone" "$work/phone-csv.b" "CSV lands as JSON"

# --- The edited save's export carried into a PS2 Japan save: the same 152 generators.
"$cars" save export -o "$work/edited.json" "$pc" && "$cars" save export --csv -o "$work/edited.csv" "$pc" ||
  fail "export of the edited save"
expect_exit 0 "carried into PS2 Japan" -- "$cars" save import "$work/edited.json" "$japan"
"$cars" save list --json "$japan" >"$work/japan-list.json" || fail "list of the PS2 Japan save"
python3 - "$work/edited.json" "$work/japan-list.json" <<'PY' || fail "the same 152 generators"
import json, sys
a, b = json.load(open(sys.argv[1])), json.load(open(sys.argv[2]))
assert b["platform"] == "PS2 Japan" and b["generatorCount"] == 152 and b["checksumOk"]
assert a["slots"] == b["slots"]
PY

# --- The round trip of the export, JSON and CSV, changes no byte; the save as generated holds a
# model the game reads as negative (no vehicle id), which imports back into its own slot.
cp "$work/pc-pristine.b" "$work/own.b"
expect_exit 0 "the save's own export imported" -- "$cars" save import "$work/pc.json" "$work/own.b"
same_file "$work/own.b" "$work/pc-pristine.b" "the save's own export imported"
# --- The round trip of the edited export, JSON and CSV, changes no byte.
for save in "$pc" "$japan" "$phone"; do
  cp "$save" "$work/before.b"
  for file in "$work/edited.json" "$work/edited.csv"; do
    expect_exit 0 "round trip $(basename "$file")" -- "$cars" save import "$file" "$save"
    expect_in "$work/out" "0 generator(s) changed, 0 added" "round trip $(basename "$file"): nothing"
    same_file "$save" "$work/before.b" "round trip $(basename "$file")"
  done
done

# --- Refusals: exit 5, each said, no save written (the first save of the run included).
printf '{"slots": [{"slot": 101, "model": 120, "x": 1, "y": 2, "z": 3}]}' >"$work/gap.json"
printf 'model,x\r\n120,5\r\n' >"$work/nopos.csv"
printf '\x00\x01binary' >"$work/neither.bin"
for hostile in "gap.json:leaves a gap" "nopos.csv:needs model, x, y and z" "neither.bin:"; do
  file=${hostile%%:*} says=${hostile#*:}
  expect_exit 5 "hostile $file" -- "$cars" save import "$work/$file" "$work/first.b" "$pc"
  [ -n "$says" ] && expect_in "$work/err" "$says" "hostile $file says"
  same_file "$work/first.b" "$work/pc-pristine.b" "hostile $file: unchanged"
done
expect_exit 5 "Xbox refused" -- "$cars" save import "$work/edit.json" "$work/Xbox/GTA3sf1.b"

[ "$failures" -eq 0 ] || exit 1
echo "save import CLI: all checks passed"
