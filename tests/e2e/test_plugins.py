"""Plug-ins through the window: marking blocks, creating a plug-in through the save dialog and
applying it to another copy of the script through the open dialog, and the plug-in's name, on the
real .exe under Wine."""

import unittest
from pathlib import Path

import harness as h

FILTER = ".TOVICK1 Plug-In Files (*.TOVICK1)"
PREAMBLE = "".join(line + "\r\n" for line in [
    "Tovick Plashgoons Plug-In Version 1",
    "# This Plug-In version stores both the number of the block and the address the block",
    "# was stored at originally. These numbers and addresses are compared against the",
    "# numbers and addresses used in the .SCM file that the Plug-In will be plugged into.",
    "# This is a safety feature implemented to safeguard against incompatible .SCM file",
    "# car tables. This only means that I know what I'm doing  :-)",
    "#",
    "# BLOCK, BLOCK ADDRESS, HICAR ID, CAR ID, X-POS, Y-POS, UNKNOWN TWO-BYTE FIELD, HEADING, "
    "ALARM, LOCK",
])


def record(number, block):
    values = [number, block.address, block.hicar + 4, block.car_id, block.x, block.y, block.word,
              block.heading, block.alarm, block.lock]
    return ", ".join(("-" if v < 0 else " ") + str(abs(v)) + " " for v in values) + "\r\n"


def with_other_values(data, blocks):
    """The script with other values in every field of every block (markers and signatures stay)."""
    out = bytearray(data)
    for block in blocks:
        a, hicar = block.address, block.hicar
        # Another id of the same kind and range: 91..127 and 129..150 step down, 90 and 128 up.
        out[a + 22] = block.car_id + 1 if block.car_id in (90, 128) else block.car_id - 1
        for offset in (10, 13, 16, 19):
            out[a + offset] ^= 0x5A
            out[a + offset + 1] ^= 0x21
        out[a + 30 + hicar] = (block.alarm + 7) & 0xFF
        out[a + 32 + hicar] = (block.lock + 9) & 0xFF
    return bytes(out)


class PlugInTest(h.RunningEditorTestCase):
    def mark(self, *numbers):
        for number in numbers:
            self.driver.select(h.BLOCK_LIST, number - 1)
            self.assertFalse(self.driver.click(h.PLUGIN_CHECK)["modal"])

    def file_dialog(self, title):
        box = self.driver.box()
        self.assertEqual((box["kind"], box["caption"], box["file_name"]),
                         ("file", title, "*.TOVICK1"))
        by_id = {control["id"]: control for control in box["controls"]}
        self.assertEqual(by_id[0x470]["items"], [FILTER])
        self.assertEqual(by_id[0x471]["text"], self.folder.name)

    def create(self, chosen):
        """CREATE PLUG-IN, the save dialog answered with chosen; the box that follows."""
        self.assertTrue(self.driver.click(h.CREATE_PLUGIN)["modal"])
        self.file_dialog("Create Plug-In")
        self.assertTrue(self.driver.answer_file(self.folder / chosen)["modal"])
        return self.driver.box()

    def assert_created(self, box, name, count):
        self.assert_box(box, f"Created\r\n\r\n{h.win_path(self.folder / name)}\r\n\r\n"
                             f"as Plug-In.  {count} car(s) was used.")
        self.assertEqual(box["buttons"], ["OK"])
        self.driver.press()

    def test_created_plugin_brings_the_marked_blocks_into_another_copy(self):
        blocks = self.blocks()
        marked = (2, 3, 7)  # block 2 has a two-byte vehicle id
        self.mark(*marked)
        self.assert_created(self.create("cars"), "cars.TOVICK1", 3)
        plugin = self.folder / "cars.TOVICK1"
        self.assertEqual(plugin.read_bytes().decode("ascii"),
                         PREAMBLE + "".join(record(n, blocks[n - 1]) for n in marked))

        copy_path = self.folder / "COPY.SCM"
        copy = with_other_values(self.original_script, blocks)
        copy_path.write_bytes(copy)
        self.assertTrue(self.driver.click(h.LOAD_SCRIPT)["modal"])
        self.driver.answer_file(copy_path)
        self.driver.run("wait-ready", 20000)

        self.assertTrue(self.driver.click(h.LOAD_PLUGIN)["modal"])
        self.file_dialog("Load and use Plug-In")
        self.assertTrue(self.driver.answer_file(plugin)["modal"])
        self.assert_box(self.driver.box(), "The patching was successful. 3 car(s) changed.",
                        caption="SUCCESS ")
        self.driver.press()

        expected = bytearray(copy)
        for n in marked:
            block = blocks[n - 1]
            for at in range(block.address, block.address + 34 + block.hicar):
                if not (block.hicar and at == block.address + 23):  # the id's high byte stays
                    expected[at] = self.original_script[at]
        self.assertEqual(copy_path.read_bytes(), bytes(expected))
        self.assertEqual(self.script.read_bytes(), self.original_script)
        # The plug-in's blocks are the ones marked now; block 1 shows its own values.
        controls = self.driver.controls()
        self.assertEqual(controls[h.PLUGIN_CHECK - 1]["check"], 0)
        self.assert_view(controls, h.Block(copy, blocks[0].address))
        self.driver.select(h.BLOCK_LIST, 6)
        controls = self.driver.controls()
        self.assertEqual(controls[h.PLUGIN_CHECK - 1]["check"], 1)
        self.assert_view(controls, h.Block(bytes(expected), blocks[6].address))

    def test_the_extension_is_added_unless_present_and_an_existing_file_needs_a_yes(self):
        self.mark(1)
        self.assert_created(self.create("cars.txt"), "cars.txt.TOVICK1", 1)
        self.assert_created(self.create("x.ToViCk1"), "x.ToViCk1", 1)
        content = (self.folder / "x.ToViCk1").read_bytes()
        self.assertEqual((self.folder / "cars.txt.TOVICK1").read_bytes(), content)
        self.assertFalse((self.folder / "cars.txt").exists())

        # "cars.txt" names no file, so the dialog does not ask; the name with ".TOVICK1" does.
        existing = self.folder / "cars.txt.TOVICK1"
        existing.write_bytes(b"old")
        for answer, after in ((h.IDNO, b"old"), (h.IDYES, content)):
            box = self.create("cars.txt")
            self.assert_box(box, f"The file\r\n\r\n{h.win_path(existing)}\r\n\r\n"
                                 "already exists. Do you want to replace it?")
            self.assertEqual(box["buttons"], ["&Yes", "&No"])
            if answer == h.IDNO:
                self.assertFalse(self.driver.press(answer)["modal"])
            else:
                self.assertTrue(self.driver.press(answer)["modal"])
                self.assert_created(self.driver.box(), "cars.txt.TOVICK1", 1)
            self.assertEqual(existing.read_bytes(), after)
        self.assertEqual(sorted(p.name for p in Path(self.folder).glob("*.new*")), [])


if __name__ == "__main__":
    unittest.main()
