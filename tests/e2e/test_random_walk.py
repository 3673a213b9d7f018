"""A long random walk through the window of the real .exe under Wine, from a fixed seed: choosing
blocks and vehicles, typing valid and invalid values into every edit, applying, both check boxes,
the search, creating and applying plug-ins through their dialogs, the wheel and "<" ">", and
reloading either game file. After every action the editor must still answer, show no INTERNAL
ERROR, and have changed no byte of any script outside the fields of its blocks; what it writes
must be what the walk typed (or the plug-in carried), as the field rules convert it.

TOVICK_WALK_ACTIONS and TOVICK_WALK_SEED give a longer or another walk. A failure prints the seed
and every action, so that the walk can be repeated."""

import os
import random
import re
import unittest

import harness as h
from test_plugins import PREAMBLE

ACTIONS = int(os.environ.get("TOVICK_WALK_ACTIONS", "300"))
SEED = int(os.environ.get("TOVICK_WALK_SEED", "1"))
STEP_MS = 5000  # the longest any single step of an action (a click, a box) may take
IDCANCEL = 2
SCRIPTS = ("MAIN.SCM", "COPY.SCM", "OTHER.SCM")  # COPY has MAIN's table, OTHER another one
DEFINITIONS = ("DEFAULT.IDE", "BIG.IDE")  # ids 90 to 150 and 90 to 159
COMMAS = "CANT APPLY CHANGES. COMMAS AND DOTS NOT ALLOWED."

# The edits in the order APPLY CHANGES reads them: the edit, the field's offset in the block (ALARM
# and LOCK move up one with a two-byte id) and width, its range, the refusal, and the warning and
# the value above which it is shown.
FIELDS = (
    (h.X_EDIT, 10, 2, -32768, 32767, "INVALID X-POS.", None, None),
    (h.Y_EDIT, 13, 2, -32768, 32767, "INVALID Y-POS.", None, None),
    (h.UTELLME_EDIT, 16, 2, 0, 65535, "INVALID WORD VALUE.", None, None),
    (h.HEADING_EDIT, 19, 2, -32768, 32767, "INVALID HEADING VALUE.", 5759,
     "WARNING! You entered a HEADING value higher than 5759\r\nwhich is more than 360 degrees."),
    (h.ALARM_EDIT, 30, 1, 0, 255, "INVALID ALARM VALUE.", 100,
     "WARNING! If I'm right about the ALARM values, this value is too high!"),
    (h.LOCK_EDIT, 32, 1, 0, 255, "INVALID SHADE VALUE.", 100,
     "WARNING! If I'm right about the DOOR LOCK values, this value is too high!"),
)
WARNINGS = {field[7] for field in FIELDS if field[7]}

INCOMPATIBLE = "The .SCM file used to create this Plug-In is incompatible\r\n"
TAIL = ("differences in the different language version of GTA 3.\r\n"
        "It can also be related to the existence of a mission editor\r\n"
        "capable of changing the address of the car table. This\r\n"
        "patcher is not in any way capable of doing that.")
ADDRESS_MESSAGE = (INCOMPATIBLE + "with the .SCM file you are currently using. The address\r\n"
                   "of the car table is different. This can be related to\r\n" + TAIL)
MARKER_MESSAGE = (INCOMPATIBLE + "with the .SCM file you are currently using. Addresses\r\n"
                  "used are different. This can be related to\r\n" + TAIL)
PLUGIN_CAPTIONS = ("SUCCESS ", "PATCHING TERMINATED", "INVALID FILE")
MISSING = "A parameter is missing in this Plug-In file."

UNKNOWN, COMMA = "unknown", "comma"


def read_decimal(text):
    """What APPLY CHANGES reads from a decimal edit: the value, COMMA, or UNKNOWN for the forms
    the walk does not model (radix prefixes, fractional or incomplete exponents)."""
    text = text[:9]
    if "," in text or "." in text:
        return COMMA
    rest = text.lstrip(" \t\n")
    sign, digits, exponent, exp_sign, exp_digits = re.match(
        r"([+-]?)(\d*)([eEdD]([+-]?)(\d*))?", rest).groups()
    if rest.startswith("&") or (exponent and (not digits or not exp_digits or exp_sign == "-")):
        return UNKNOWN
    value = int(digits or "0") * 10 ** min(int(exp_digits or "0"), 9999)
    return -value if sign == "-" else value


def read_hex(text):
    """What APPLY CHANGES reads from the UTELLME edit: hexadecimal digits up to the first other
    character, after the blanks are trimmed."""
    text = text[:9]
    if "," in text or "." in text:
        return COMMA
    return int("0" + re.match(r"[0-9A-Fa-f]*", text.strip(" ")).group(), 16)


def assert_bytes(data, expected, what):
    """A short report of the first differing offsets rather than two whole scripts."""
    if data != expected:
        offsets = [i for i, (a, b) in enumerate(zip(data, expected)) if a != b][:8]
        raise AssertionError(f"{what}: offset: byte, expected " + ", ".join(
            f"{i}: {data[i]:#04x}, {expected[i]:#04x}" for i in offsets)
            + f" (lengths {len(data)}, {len(expected)})")


def field_at(address, hicar, offset):
    return address + offset + (hicar if offset >= 30 else 0)


def writable(data, address):
    """The offsets APPLY CHANGES and plug-ins may write in the block at address."""
    hicar = data[address + 21] - 4
    offsets = {address + 22}
    for _, offset, width, *_ in FIELDS:
        offsets.update(range(field_at(address, hicar, offset),
                             field_at(address, hicar, offset) + width))
    return offsets


def record_of(data, number, address):
    block = h.Block(data, address)
    return [number, address, block.hicar + 4, block.car_id, block.x, block.y, block.word,
            block.heading, block.alarm, block.lock]


def apply_plugin(data, plugin, table):
    """A plug-in applied to a script as the editor does it: the script after, the (caption, text)
    of its messages, and the blocks marked."""
    out, notices, marks, count = bytearray(data), [], set(), 0
    lines = plugin.decode("latin-1").split("\r\n")
    if lines[0] != "Tovick Plashgoons Plug-In Version 1":
        return bytes(out), [("INVALID FILE", "INVALID PLUG-IN VERSION, HEADER OR FILE")], marks
    for line in lines[1:]:
        if not line or line.startswith("#"):
            continue
        if line.count(",") != 9:
            notices.append((" ", MISSING))
            continue
        number, address, marker, *values = [int(field) for field in line.split(",")]
        if 1 <= number <= len(table):
            marks.add(number)
        if not 1 <= number <= len(table) or address != table[number - 1]:
            return bytes(out), notices + [("PATCHING TERMINATED", ADDRESS_MESSAGE)], marks
        if marker != out[address + 21]:
            return bytes(out), notices + [("PATCHING TERMINATED", MARKER_MESSAGE)], marks
        out[address + 22] = values[0] & 0xFF
        for (_, offset, width, *_), value in zip(FIELDS, values[1:]):
            at = field_at(address, marker - 4, offset)
            out[at:at + width] = (value % (1 << 8 * width)).to_bytes(width, "little")
        count += 1
    notices.append(("SUCCESS ", f"The patching was successful. {count} car(s) changed."))
    return bytes(out), notices, marks


def decimal_text(rng, low, high, warn):
    """A text for a decimal edit: mostly in-range whole numbers in the forms a user types."""
    kind = rng.random()
    value = rng.choice([low, high, 0, 1, -1 if low < 0 else 2, warn or 100, (warn or 100) + 1,
                        rng.randint(low, high), rng.randint(low, high)])
    if kind < 0.55:
        return rng.choice(["{}", " {}", "  {}", "{}abc", "{} x", "{:+d}", "{:06d}"]).format(value)
    if kind < 0.70:
        return str(rng.choice([high + 1, low - 1, 99999, -99999, 999999999, high * 16]))
    if kind < 0.80:
        return rng.choice([f"{value}.5", f"1,{abs(value)}", ".", "1.0", "7,"])
    if kind < 0.90:
        return rng.choice(["", " ", "abc", "-", "--5", "x12", "\t42", "0000032767", "-0"])
    return rng.choice(["1e3", "2E2", "3d1", "1e9999", "5e+1", "&H7F", "&HFFFF", "&O17", "&B101",
                       "5e-1", "25E-1", "7e", "e5"])


def hex_text(rng):
    kind = rng.random()
    if kind < 0.75:
        value = rng.choice([0, 1, 0xFF, 0x8000, 0xFFFF, rng.randint(0, 0xFFFF)])
        return rng.choice(["{:X}", "{:x}", " {:X} ", "{:04X}", "{:X}h", "{:X}g1"]).format(value)
    return rng.choice(["10000", "FFFFF", "1.5", "1,5", "", "-1", "G", "&H5", "FFFFFFFFF", "\t5"])


class RandomWalkTest(h.EditorTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        for name, options in (("COPY.SCM", ["--changed"]), ("OTHER.SCM", ["--blocks", 120]),
                              ("BIG.IDE", ["--vehicles", 70])):
            extra = cls.template / "extra"
            h.generate(extra, *options)
            source = "DEFAULT.IDE" if name.endswith(".IDE") else "MAIN.SCM"
            (extra / source).rename(cls.template / name)
        for path in cls.template.glob("extra/*"):
            path.unlink()
        (cls.template / "extra").rmdir()

    def setUp(self):
        super().setUp()
        self.rng = random.Random(SEED)
        self.log = []
        self.originals = {name: (self.folder / name).read_bytes() for name in SCRIPTS}
        self.last = dict(self.originals)
        self.tables = {name: h.scan_blocks(data)[0] for name, data in self.originals.items()}
        self.fields = {name: set().union(*(writable(data, a) for a in self.tables[name]))
                       for name, data in self.originals.items()}
        self.frozen = {name: self.frozen_bytes(name, data) for name, data in self.originals.items()}
        self.current, self.marks, self.plugins = "MAIN.SCM", set(), []
        self.use_definitions("DEFAULT.IDE")
        self.write_plugins()
        self.editor, self.driver = self.start_ready()
        self.controls = self.driver.controls()
        self.slower_faster = [c["index"] for c in self.controls if c["text"] in ("<", ">")]

    def tearDown(self):
        try:
            if self.editor.running():
                self.close_editor(self.editor, self.driver)
        finally:
            super().tearDown()

    def frozen_bytes(self, name, data):
        out = bytearray(data)
        for offset in self.fields[name]:
            out[offset] = 0
        return bytes(out)

    def use_definitions(self, name):
        self.names = h.read_vehicle_names(self.folder / name)
        self.highest = max(self.names)

    def write_plugins(self):
        """A plug-in that is none, and one with wrapping values, a short line, a comment and a
        width marker that does not fit (for MAIN's and COPY's table)."""
        (self.folder / "junk.TOVICK1").write_bytes(b"NOT A PLUG-IN\r\n")
        a = self.tables["MAIN.SCM"]
        lines = [f"1, {a[0]}, 4, 412, 40000, -3, 70000, 6000, 300, 7", "1, 2, 3", "# note",
                 f"2, {a[1]}, 5, 140, 16, 32, 171, 1440, 100, 0",
                 f"3, {a[2]}, 5, 91, 0, 0, 0, 0, 0, 0"]
        (self.folder / "odd.TOVICK1").write_bytes((PREAMBLE + "\r\n".join(lines) + "\r\n").encode())
        self.plugins = [self.folder / "junk.TOVICK1", self.folder / "odd.TOVICK1"]

    # ------------------------------------------------------------------------------------------
    # Running one action and answering its boxes

    def command(self, *words, file=None, yes=False):
        """A driver command that may open boxes; answers each (the file dialog with file, or
        cancels it; a Yes/No question with yes) and returns them all."""
        modal, boxes = self.driver.run(*words, STEP_MS)["modal"], []
        while modal:
            box = self.driver.box(STEP_MS)
            boxes.append(box)
            text = box.get("text", box.get("file_name"))
            self.log.append(f"    box {box['caption']!r}: {text!r}")
            self.assertLess(len(boxes), 400, "the boxes do not end")
            if box["kind"] == "file":
                modal = (self.driver.answer_file(file) if file else self.driver.press(IDCANCEL))
                file = None
            else:
                modal = self.driver.press(
                    (h.IDYES if yes else h.IDNO) if "&Yes" in box["buttons"] else h.IDOK)
            modal = modal["modal"]
        return boxes

    def current_bytes(self):
        return (self.folder / self.current).read_bytes()

    def view_ok(self, data, position):
        """Whether the block view took the block (its vehicle id is one the definitions name)."""
        return 90 <= data[self.tables[self.current][position] + 22] <= self.highest

    def predict_apply(self, data):
        """What APPLY CHANGES does with the controls as they are: its messages, its writes, and
        whether the walk could tell all of it."""
        c = self.controls
        position = c[h.BLOCK_LIST - 1]["sel"]
        if position < 0:
            return ["CANT APPLY CHANGES. PLEASE SELECT A BLOCK"], {}, True
        if not self.view_ok(data, position):
            return ["CANT APPLY CHANGES"], {}, True
        vehicle = c[h.VEHICLE_LIST - 1]["sel"]
        if vehicle < 0:
            return ["CANT APPLY CHANGES. PLEASE SELECT A VEHICLE."], {}, True
        address = self.tables[self.current][position]
        hicar = data[address + 21] - 4
        first, last = ((90, self.highest) if c[h.UNSAFE_CHECK - 1]["check"] else
                       (128, self.highest) if hicar else (90, 127))
        car = (vehicle + first) & 0xFF
        if not first <= car <= last:
            return ["CANT APPLY CHANGES. INVALID VEHICLE ID."], {}, True
        boxes, writes = [], {address + 22: car}
        for edit, offset, width, low, high, invalid, warn_above, warning in FIELDS:
            text = c[edit - 1]["text"]
            value = read_hex(text) if edit == h.UTELLME_EDIT else read_decimal(text)
            where = f"\r\nValid range: {low} to {high}"
            if value == UNKNOWN:
                return boxes, writes, False
            if value == COMMA:
                return boxes + [COMMAS + where], writes, True
            if not low <= value <= high:
                return boxes + [f"CANT APPLY CHANGES. {invalid}{where}"], writes, True
            if warn_above is not None and value > warn_above:
                boxes.append(warning)
            at = field_at(address, hicar, offset)
            for i in range(width):
                writes[at + i] = (value >> 8 * i) & 0xFF
        return boxes, writes, True

    def applying(self, *words, file=None, yes=False):
        """A command that applies the shown block's edits first: checks what was applied against
        the prediction. Returns its boxes and the script before."""
        before = self.current_bytes()
        expected_boxes, writes, known = self.predict_apply(before)
        boxes = self.command(*words, file=file, yes=yes)
        shown = [b["text"] for b in boxes if b["kind"] == "message" and (
            b["text"].startswith("CANT APPLY CHANGES") or b["text"] in WARNINGS)]
        after = self.current_bytes()
        if known:
            self.assertEqual(shown, expected_boxes, "APPLY CHANGES said otherwise")
            expected = bytearray(before)
            for at, value in writes.items():
                expected[at] = value
            assert_bytes(after, bytes(expected), "APPLY CHANGES wrote otherwise")
        else:
            self.assertEqual(shown[:len(expected_boxes)], expected_boxes)
            self.assertEqual({at: after[at] for at in writes}, writes)
        position = self.controls[h.BLOCK_LIST - 1]["sel"]
        allowed = writable(before, self.tables[self.current][position]) if position >= 0 else set()
        return boxes, before, allowed

    # ------------------------------------------------------------------------------------------
    # The actions: each returns (its boxes, the offsets of the current script it may change,
    # whether the block view must show the selected block afterwards)

    def act_type(self, rng):
        edit = rng.choice([field[0] for field in FIELDS])
        text = hex_text(rng) if edit == h.UTELLME_EDIT else decimal_text(
            rng, *next((f[3], f[4], f[6]) for f in FIELDS if f[0] == edit))
        self.log[-1] += f" {edit} {text!r}"
        self.driver.type(edit, text)
        return [], set(), False

    def act_block(self, rng):
        count = len(self.tables[self.current])
        position = rng.randrange(count) if rng.random() < 0.95 else -1
        self.log[-1] += f" {position}"
        return self.command("select", h.BLOCK_LIST, position), set(), True

    def act_vehicle(self, rng):
        count = len(self.controls[h.VEHICLE_LIST - 1]["items"])
        position = rng.randrange(count) if count and rng.random() < 0.95 else -1
        self.log[-1] += f" {position}"
        return self.command("select", h.VEHICLE_LIST, position), set(), False

    def act_apply(self, rng):
        boxes, _, allowed = self.applying("click", h.APPLY)
        return boxes, allowed, True

    def act_unsafe(self, rng):
        boxes, _, allowed = self.applying("click", h.UNSAFE_CHECK)
        return boxes, allowed, True

    def act_mark(self, rng):
        boxes, _, allowed = self.applying("click", h.PLUGIN_CHECK)
        position = self.controls[h.BLOCK_LIST - 1]["sel"]
        if position >= 0:
            self.marks ^= {position + 1}
        return boxes, allowed, True

    def act_search(self, rng):
        items = len(self.controls[h.SEARCH_LIST - 1]["items"])
        if items and rng.random() < 0.6:
            position = rng.randrange(items)
            self.log[-1] += f" choose {position}"
            boxes = self.command("select", h.SEARCH_LIST, position)
        else:
            self.log[-1] += " button"
            boxes = self.command("click", h.SEARCH)
        return boxes, set(), "search"

    def act_speed(self, rng):
        if rng.random() < 0.5:
            distance = rng.choice([120, -120, 240, 1])
            self.log[-1] += f" wheel {distance}"
            self.driver.run("wheel", distance, STEP_MS)
            return [], set(), False
        button = rng.choice(self.slower_faster)
        self.log[-1] += f" button {button}"
        return self.command("click", button), set(), False

    def act_create(self, rng):
        number = self.number
        made = [p for p in self.plugins if p.name.startswith("walk") and p.suffix == ".TOVICK1"]
        choice = rng.random()
        if choice < 0.15:
            chosen = None
        elif choice < 0.35 and made:
            chosen = rng.choice(made).with_suffix("")  # asks before replacing the plug-in
        else:
            chosen = self.folder / rng.choice([f"walk{number}", f"walk{number}.tovick1"])
        yes = rng.random() < 0.5
        self.log[-1] += f" {chosen.name if chosen else 'cancel'} yes={yes}"
        target = None
        if chosen:
            target = chosen if chosen.suffix.upper() == ".TOVICK1" else chosen.with_name(
                chosen.name + ".TOVICK1")
        old = target.read_bytes() if target and target.exists() else None
        boxes, _, allowed = self.applying("click", h.CREATE_PLUGIN, file=chosen, yes=yes)
        texts = [b["text"] for b in boxes if b["kind"] == "message"]
        created = [t for t in texts if t.startswith("Created")]
        if not self.marks:
            self.assertIn("Please select a few blocks to use in the Plug-In", texts)
            self.assertFalse(created or any(b["kind"] == "file" for b in boxes))
        elif chosen is None or (old is not None and not yes):
            self.assertEqual(created, [])
            self.assertEqual(target.read_bytes() if target else None, old)
        else:
            data, table = self.current_bytes(), self.tables[self.current]
            records = [[int(f) for f in line.split(",")]
                       for line in target.read_bytes().decode("ascii").split("\r\n")[8:] if line]
            self.assertEqual(target.read_bytes().decode("ascii")[:len(PREAMBLE)], PREAMBLE)
            self.assertEqual(records,
                             [record_of(data, n, table[n - 1]) for n in sorted(self.marks)])
            count = h.number_text(len(records))
            self.assertEqual(created, [f"Created\r\n\r\n{h.win_path(target)}\r\n\r\n"
                                       f"as Plug-In. {count} car(s) was used."])
            if target not in self.plugins:
                self.plugins.append(target)
        return boxes, allowed, True

    def act_use(self, rng):
        chosen = rng.choice(self.plugins) if rng.random() < 0.9 else None
        self.log[-1] += f" {chosen.name if chosen else 'cancel'}"
        before = self.current_bytes()
        boxes = self.command("click", h.LOAD_PLUGIN, file=chosen)
        if chosen is None:
            return boxes, set(), False
        expected, notices, self.marks = apply_plugin(before, chosen.read_bytes(),
                                                     self.tables[self.current])
        shown = [(b["caption"], b["text"]) for b in boxes if b["kind"] == "message" and (
            b["caption"] in PLUGIN_CAPTIONS or b["text"] == MISSING)]
        self.assertEqual(shown, notices, "the plug-in was applied otherwise")
        assert_bytes(self.current_bytes(), expected, "the plug-in was written otherwise")
        # A file refused at its header leaves the view as it was, pending edits and all.
        refused = notices[:1] == [("INVALID FILE", "INVALID PLUG-IN VERSION, HEADER OR FILE")]
        return boxes, self.fields[self.current], not refused

    def act_load_script(self, rng):
        chosen = rng.choice(SCRIPTS) if rng.random() < 0.85 else None
        self.log[-1] += f" {chosen or 'cancel'}"
        boxes = self.command("click", h.LOAD_SCRIPT, file=chosen and self.folder / chosen)
        if chosen:
            self.current, self.marks = chosen, set()
        return boxes, set(), True

    def act_load_definitions(self, rng):
        chosen = rng.choice(DEFINITIONS) if rng.random() < 0.85 else None
        self.log[-1] += f" {chosen or 'cancel'}"
        boxes = self.command("click", h.LOAD_DEFINITIONS, file=chosen and self.folder / chosen)
        if chosen:
            self.use_definitions(chosen)
        return boxes, set(), True

    ACTIONS = ((act_type, 30), (act_block, 12), (act_vehicle, 8), (act_apply, 14), (act_unsafe, 5),
               (act_mark, 7), (act_search, 7), (act_speed, 4), (act_create, 4), (act_use, 4),
               (act_load_script, 2), (act_load_definitions, 2))

    # ------------------------------------------------------------------------------------------
    # The checks after every action

    def check(self, boxes, allowed, view):
        self.assertTrue(self.editor.running(), "the editor has ended")
        self.driver.run("ping", STEP_MS)
        for box in boxes:
            self.assertNotIn("INTERNAL ERROR", box["caption"] + box.get("text", ""))
        self.assertEqual(self.driver.run("boxes")["boxes"], [], "a box is still open")
        for name in SCRIPTS:
            data = (self.folder / name).read_bytes()
            if name != self.current or data == self.last[name]:
                assert_bytes(data, self.last[name], f"{name} changed")
                continue
            assert_bytes(self.frozen_bytes(name, data), self.frozen[name],
                         f"{name} changed outside the fields of its blocks")
            changed = {i for i, (a, b) in enumerate(zip(self.last[name], data)) if a != b}
            self.assertLessEqual(changed, allowed, f"{name} changed where this action may not")
            self.last[name] = data
        before = self.controls
        self.controls = self.driver.controls()
        position = self.controls[h.BLOCK_LIST - 1]["sel"]
        if view == "search":  # the search shows a block only when it moves the selection
            view = position != before[h.BLOCK_LIST - 1]["sel"]
        data = self.last[self.current]
        if view and position >= 0 and self.view_ok(data, position):
            block = h.Block(data, self.tables[self.current][position])
            unsafe = self.controls[h.UNSAFE_CHECK - 1]["check"] == 1
            self.assertTrue(unsafe or not block.unsafe(), "an unsafe vehicle without the switch")
            self.assertEqual(h.shown_view(self.controls),
                             h.expected_view(block, self.names, self.zones, unsafe))
            self.assertEqual(self.controls[h.PLUGIN_CHECK - 1]["check"],
                             int(position + 1 in self.marks))

    def test_random_walk(self):
        actions, weights = zip(*self.ACTIONS)
        try:
            for self.number in range(1, ACTIONS + 1):
                action = self.rng.choices(actions, weights)[0]
                self.log.append(f"{self.number}: {action.__name__[4:]}")
                self.check(*action(self, self.rng))
        except Exception as error:
            raise AssertionError(
                f"random walk failed at action {self.number}: {error}\n"
                f"repeat with TOVICK_WALK_SEED={SEED} TOVICK_WALK_ACTIONS={ACTIONS}; the actions:\n"
                + "\n".join(self.log)) from error


if __name__ == "__main__":
    unittest.main()
