#!/usr/bin/env bash
# tovick-cars on generated data: exit codes, messages, the table and the JSON.
# Usage: companion_cli_test.sh TOVICK-CARS TOVICK-GEN WORK-DIR
set -u
cars=$1 gen=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
source "$(dirname "$0")/cli_checks.sh"

"$gen" --dir "$work/good" --seed 5 >/dev/null || fail "generator (good)"
"$gen" --dir "$work/short" --seed 5 --length 70203 >/dev/null || fail "generator (short)"
"$gen" --dir "$work/broken" --seed 5 --break-strict >/dev/null || fail "generator (broken)"
good=$work/good
ide=$good/DEFAULT.IDE zones=$good/TovickZon.txt

# Usage and missing files.
expect_exit 1 "no arguments" -- "$cars"
expect_in "$work/err" "(see tovick-cars --help)" "usage message on stderr"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "usage error: not one line on stderr"
expect_exit 1 "two scripts" -- "$cars" "$good/MAIN.SCM" "$good/MAIN.SCM"
expect_exit 1 "unknown option" -- "$cars" --frobnicate "$good/MAIN.SCM"
expect_exit 1 "--ide without a file" -- "$cars" "$good/MAIN.SCM" --ide
expect_exit 0 "--help" -- "$cars" --help
expect_in "$work/out" "4  the car table is malformed" "exit codes in --help"

# The parser's forms: --opt=value, -- ending the options, --version.
expect_exit 0 "--ide=FILE" -- "$cars" --json --ide="$ide" --zones="$zones" "$good/MAIN.SCM"
"$cars" --json --ide "$ide" --zones "$zones" "$good/MAIN.SCM" >"$work/spaced.json" 2>/dev/null
cmp -s "$work/out" "$work/spaced.json" || fail "--ide=FILE differs from --ide FILE"
mkdir -p "$work/dash" && cp "$good/MAIN.SCM" "$work/dash/-cars.SCM"
cars_path=$(realpath "$cars")
expect_exit 0 "-- before a name starting with a dash" -- bash -c 'cd "$1" && "$2" -- -cars.SCM' _ "$work/dash" "$cars_path"
expect_in "$work/out" "-cars.SCM: " "-- ends the options"
expect_exit 1 "a name starting with a dash without --" -- bash -c 'cd "$1" && "$2" -cars.SCM' _ "$work/dash" "$cars_path"
expect_exit 0 "--version" -- "$cars" --version
grep -qxE "tovick-cars [0-9]+\.[0-9]+\.[0-9]+" "$work/out" || fail "--version: $(cat "$work/out")"
for command in map diff export apply "save list" "save sync"; do
  # shellcheck disable=SC2086
  expect_exit 0 "$command --help" -- "$cars" $command --help
  expect_in "$work/out" "Usage: tovick-cars $command" "$command --help"
done

# A UTF-8 path comes out in JSON as the text itself.
mkdir -p "$work/sauvegarde é" && cp "$good/MAIN.SCM" "$work/sauvegarde é/MAIN é.SCM"
expect_exit 0 "a UTF-8 path" -- "$cars" --json "$work/sauvegarde é/MAIN é.SCM"
expect_in "$work/out" "\"script\": \"$work/sauvegarde é/MAIN é.SCM\"" "UTF-8 path in JSON"
python3 -c "import json,sys; assert json.load(open(sys.argv[1], encoding='utf-8'))['script'] == sys.argv[2]" \
  "$work/out" "$work/sauvegarde é/MAIN é.SCM" || fail "UTF-8 path read back from JSON"
expect_exit 2 "missing script" -- "$cars" "$work/nowhere/MAIN.SCM"
expect_in "$work/err" "Couldn't open the .SCM file: $work/nowhere/MAIN.SCM" "missing script message"
[ -e "$work/nowhere/MAIN.SCM" ] && fail "a missing script was created"
expect_exit 2 "missing definitions" -- "$cars" --ide "$work/none.IDE" "$good/MAIN.SCM"
expect_in "$work/err" "Couldn't open the .IDE file" "missing definitions message"
expect_exit 2 "missing zones" -- "$cars" --zones "$work/none.txt" "$good/MAIN.SCM"

# Text files that are no regular files, or too large for one, are refused at once: a FIFO, an
# endless device, a sparse file one byte past 16 MiB.
mkfifo "$work/fifo"
truncate -s $((16 * 1024 * 1024 + 1)) "$work/big"
for input in fifo dev-zero big; do
  file=$work/$input
  [ "$input" = dev-zero ] && file=/dev/zero
  for option in --ide --zones; do
    expect_exit 2 "$option $input" -- timeout 10 "$cars" "$option" "$file" "$good/MAIN.SCM"
  done
  expect_exit 2 "apply $input" -- timeout 10 "$cars" apply "$file" "$good/MAIN.SCM"
done
expect_in "$work/err" "Couldn't use the plug-in file (larger than 16 MiB): $work/big" "too large"
expect_exit 2 "--zones big" -- "$cars" --zones "$work/big" "$good/MAIN.SCM"
expect_in "$work/err" "Couldn't use the zone file (larger than 16 MiB): $work/big" "too large"

# Too short: 70203 bytes, shown with the leading blank of the editor's number text.
expect_exit 3 "70203-byte script" -- "$cars" "$work/short/MAIN.SCM"
expect_in "$work/err" "( 70203) too short" "too-short message"
[ -s "$work/out" ] && fail "too short: something printed on stdout"

# A good script: the table.
before=$(md5sum < "$good/MAIN.SCM")
expect_exit 0 "table" -- "$cars" --ide "$ide" --zones "$zones" "$good/MAIN.SCM"
expect_in "$work/out" "BLOCK  ADDRESS  WIDTH   ID  NAME" "table header"
expect_in "$work/out" ": 70204 bytes, 100 block(s)" "table summary"
rows=$(grep -cE '^ +[0-9]+ +[0-9]+ +[12] ' "$work/out")
[ "$rows" -eq 100 ] || fail "table: $rows block rows, expected 100"
first_zone=$(head -n 1 "$zones" | cut -d, -f1)
grep -E '^ +4 ' "$work/out" | grep -qF "$first_zone" || fail "table: block 4 not in $first_zone"
[ "$(md5sum < "$good/MAIN.SCM")" = "$before" ] || fail "the companion changed the script"

# The same script as JSON.
expect_exit 0 "json" -- "$cars" --json --ide "$ide" --zones "$zones" "$good/MAIN.SCM"
python3 - "$work/out" "$first_zone" <<'PY' || fail "json content"
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
first_zone = sys.argv[2]
problems = []
def check(cond, what):
    if not cond: problems.append(what)
check(doc["blockCount"] == 100 and len(doc["blocks"]) == 100, "100 blocks")
check(doc["carTableError"] is False and doc["errorOffset"] is None, "no error")
check(doc["length"] == 70204, "length")
b = doc["blocks"]
check([x["block"] for x in b] == list(range(1, 101)), "block numbers")
check(b[0]["address"] == 65300 and b[0]["width"] == 1 and b[0]["widthMarker"] == 4, "block 1 layout")
check(b[0]["alarm"] == 0 and b[0]["lock"] == 0 and 90 <= b[0]["carId"] <= 127, "block 1 values")
check(b[0]["name"] != "" and b[0]["name"] == b[0]["name"].upper(), "block 1 named")
check(b[1]["width"] == 2 and b[1]["hiCar"] == 1 and b[1]["unsafe"] is False, "block 2")
check(b[1]["address"] == 65334, "block 2 address")
check(b[2]["unsafe"] is True and b[4]["unsafe"] is True, "blocks 3 and 5 unsafe")
check(b[3]["zones"] == [first_zone], "block 4 zones")
check(all(-32768 <= x["xPos"] <= 32767 and 0 <= x["unknownWord"] <= 65535 for x in b), "ranges")
if problems:
    print("json problems:", problems); sys.exit(1)
PY

# Without definitions the names are empty.
expect_exit 0 "json without definitions" -- "$cars" --json "$good/MAIN.SCM"
expect_in "$work/out" '"name": ""' "no names without definitions"

# Names are bytes in code page 437: JSON carries them as \u0080..\u00FF, and stays valid.
python3 - "$ide" "$work/cp437.IDE" "$work/out" <<'PY'
import json, sys
data = open(sys.argv[1], "rb").read()
first_id = json.load(open(sys.argv[3]))["blocks"][0]["carId"]
at = data.index(b"\r\n%d," % first_id)
name_start = data.index(b",", at + 2) + 1
open(sys.argv[2], "wb").write(data[:name_start] + b" \x84\"q\\" + data[data.index(b",", name_start):])
PY
expect_exit 0 "json with a code-page-437 name" -- "$cars" --json --ide "$work/cp437.IDE" "$good/MAIN.SCM"
python3 - "$work/out" <<'PY' || fail "json with a code-page-437 name"
import json, sys
text = open(sys.argv[1], encoding="ascii").read()
assert '"name": "\\u008E\\"Q\\\\"' in text, "escaped name"
names = [b["name"] for b in json.loads(text)["blocks"]]
assert all(isinstance(n, str) for n in names)
PY

# A malformed table: the blocks before the fault, the offset, exit 4.
expect_exit 4 "malformed table" -- "$cars" "$work/broken/MAIN.SCM"
expect_in "$work/err" "Error in car table. Please replace MAIN.SCM." "malformed message"
rows=$(grep -cE '^ +[0-9]+ +[0-9]+ +[12] ' "$work/out")
[ "$rows" -eq 9 ] || fail "malformed table: $rows block rows, expected 9"
expect_exit 4 "malformed table, json" -- "$cars" --json "$work/broken/MAIN.SCM"
python3 - "$work/out" "$work/broken/MAIN.SCM" <<'PY' || fail "malformed json content"
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
data = open(sys.argv[2], "rb").read()
assert doc["carTableError"] is True, "carTableError"
assert doc["blockCount"] == 9 and len(doc["blocks"]) == 9, "9 blocks"
offset = doc["errorOffset"]
assert data[offset] == 0x06, "the error offset is the broken width marker"
last = doc["blocks"][-1]
assert offset == last["address"] + last["width"] + 33 + 21, "block 10 follows block 9"
PY

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "companion CLI: all checks passed"
