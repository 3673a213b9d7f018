"""Editing through the window: APPLY CHANGES, the two check boxes with their pending edits, and a
script that cannot be written, on the real .exe under Wine."""

import os
import shutil
import time
import unittest

import harness as h

SIGNED_RANGE = "\r\nValid range: -32768 to 32767"
BYTE_RANGE = "\r\nValid range: 0 to 255"
SUCCESS = "Changes applied successfully"


def patched(data, address, changes):
    """data with the bytes changes[offset] written at address + offset."""
    out = bytearray(data)
    for offset, value in changes.items():
        out[address + offset] = value
    return bytes(out)


class EditingTest(h.RunningEditorTestCase):
    def type_fields(self, **texts):
        edits = {"x": h.X_EDIT, "y": h.Y_EDIT, "word": h.UTELLME_EDIT,
                 "heading": h.HEADING_EDIT, "alarm": h.ALARM_EDIT, "lock": h.LOCK_EDIT}
        for field, text in texts.items():
            self.driver.type(edits[field], text)

    def scroller_shows_success(self, timeout):
        """True when the strip types out the success message within timeout seconds; None when
        the strip never changed at all (no scroller running)."""
        deadline = time.monotonic() + timeout
        changed = False
        while time.monotonic() < deadline:
            text = self.driver.text(h.SCROLLER)
            if SUCCESS.replace(" ", "") in text.replace(" ", ""):
                return True
            changed = changed or text != " "
            time.sleep(0.02)
        return False if changed else None

    def test_apply_writes_exactly_the_typed_values(self):
        block = self.blocks()[1]  # two-byte vehicle id: ALARM at +31, LOCK at +33
        self.driver.select(h.BLOCK_LIST, 1)
        self.driver.select(h.VEHICLE_LIST, 140 - 128)
        self.type_fields(x="-32768", y=" 12", word="ffff", heading="-1", alarm="100",
                         lock="0000000555")  # only the first 9 characters count: 55
        self.assertFalse(self.driver.click(h.APPLY)["modal"])
        expected = patched(self.original_script, block.address, {
            22: 140, 10: 0x00, 11: 0x80, 13: 12, 14: 0, 16: 0xFF, 17: 0xFF, 19: 0xFF, 20: 0xFF,
            31: 100, 33: 55})
        self.assertEqual(self.script.read_bytes(), expected)
        controls = self.driver.controls()
        self.assert_view(controls, h.Block(expected, block.address))
        self.assertEqual(controls[h.X_TEXT - 1]["text"], "-2048")
        self.assertEqual(controls[h.HEADING_TEXT - 1]["text"], " 0 deg")
        self.assertEqual(controls[h.UTELLME_TEXT - 1]["text"], "FFh FFh")

    def test_success_is_announced_in_the_scroller_only(self):
        self.type_fields(x="16")
        self.assertFalse(self.driver.click(h.APPLY)["modal"])
        shown = self.scroller_shows_success(5)
        if shown is None:
            self.skipTest("the scroller strip never changed: no scroller runs in this build")
        self.assertTrue(shown, "no success message in the scroller")

    def test_refusals_and_warnings_stop_or_go_on_in_order(self):
        block = self.blocks()[0]
        self.driver.select(h.VEHICLE_LIST, 100 - 90)
        self.type_fields(x="1,5")
        self.assertTrue(self.driver.click(h.APPLY)["modal"])
        self.assert_box(self.driver.box(),
                        "CANT APPLY CHANGES. COMMAS AND DOTS NOT ALLOWED." + SIGNED_RANGE)
        self.assertFalse(self.driver.press()["modal"])
        # The vehicle was written before the refusal, nothing after it.
        self.assertEqual(self.script.read_bytes(),
                         patched(self.original_script, block.address, {22: 100}))
        self.assertEqual(self.driver.text(h.X_EDIT), h.number_text(block.x))

        self.type_fields(x="300", heading="5760", alarm="101", lock="300")
        self.assertTrue(self.driver.click(h.APPLY)["modal"])
        for text, icon in (
                ("WARNING! You entered a HEADING value higher than 5759\r\n"
                 "which is more than 360 degrees.", "exclamation"),
                ("WARNING! If I'm right about the ALARM values, this value is too high!",
                 "exclamation"),
                ("CANT APPLY CHANGES. INVALID SHADE VALUE." + BYTE_RANGE, "none")):
            self.assert_box(self.driver.box(), text, icon=icon)
            self.driver.press()
        after = self.script.read_bytes()
        self.assertEqual(after, patched(self.original_script, block.address, {
            22: 100, 10: 300 & 0xFF, 11: 300 >> 8, 19: 5760 & 0xFF, 20: 5760 >> 8,
            30: 101}))
        self.assertEqual(self.driver.run("boxes")["boxes"], [])
        self.assertFalse(self.scroller_shows_success(1.5), "success announced after a refusal")

    def test_choosing_another_block_drops_pending_edits(self):
        blocks = self.blocks()
        self.type_fields(x="1234", alarm="7")
        self.driver.select(h.BLOCK_LIST, 1)
        self.driver.select(h.BLOCK_LIST, 0)
        self.assertEqual(self.script.read_bytes(), self.original_script)
        self.assert_view(self.driver.controls(), blocks[0])

    def test_unsafe_switch_applies_pending_edits_then_flips(self):
        block = self.blocks()[0]
        self.type_fields(x="777")
        self.assertFalse(self.driver.click(h.UNSAFE_CHECK)["modal"])
        written = patched(self.original_script, block.address, {10: 777 & 0xFF, 11: 777 >> 8})
        self.assertEqual(self.script.read_bytes(), written)
        controls = self.driver.controls()
        self.assertEqual(controls[h.UNSAFE_CHECK - 1]["check"], 1)
        self.assert_view(controls, h.Block(written, block.address), unsafe_enabled=True)

        # An invalid pending edit is refused, and the switch flips all the same.
        self.type_fields(alarm="300")
        self.assertTrue(self.driver.click(h.UNSAFE_CHECK)["modal"])
        self.assert_box(self.driver.box(), "CANT APPLY CHANGES. INVALID ALARM VALUE." + BYTE_RANGE)
        self.driver.press()
        controls = self.driver.controls()
        self.assertEqual(controls[h.UNSAFE_CHECK - 1]["check"], 0)
        self.assert_view(controls, h.Block(written, block.address))
        self.assertEqual(self.script.read_bytes(), written)

    def test_plugin_mark_applies_pending_edits_and_follows_the_block(self):
        block = self.blocks()[0]
        self.type_fields(y="-5")
        self.assertFalse(self.driver.click(h.PLUGIN_CHECK)["modal"])
        self.assertEqual(self.script.read_bytes(),
                         patched(self.original_script, block.address, {13: 0xFB, 14: 0xFF}))
        for position, mark in ((0, 1), (1, 0), (0, 1)):
            self.driver.select(h.BLOCK_LIST, position)
            self.assertEqual(self.driver.controls()[h.PLUGIN_CHECK - 1]["check"], mark, position)
        self.driver.click(h.PLUGIN_CHECK)
        self.assertEqual(self.driver.controls()[h.PLUGIN_CHECK - 1]["check"], 0)


class ReadOnlyScriptTest(h.EditorTestCase):
    """Root writes to a read-only file under Wine anyway, so this runs as an ordinary user."""

    def test_a_read_only_script_is_never_reported_as_written(self):
        user, reason = h.unprivileged_user()
        if user is None:
            self.skipTest(reason)
        h.remember_paths(self.folder)
        if user.name is not None:
            # The folder is the user's; the script stays root's and read-only.
            shutil.chown(self.folder, user.name)
            for name in ("DEFIDE.txt", "MAINSCM.txt", "DEFAULT.IDE", "TovickZon.txt"):
                shutil.chown(self.folder / name, user.name)
        os.chmod(self.script, 0o444)
        editor = self.start_editor(user=user)
        driver = self.start_driver(user=user)
        self.assert_box(driver.box(20000),
                        "The .SCM file is read-only. Changes can't be written to it.",
                        icon="exclamation")
        driver.press()
        driver.run("wait-ready", 20000)
        driver.type(h.X_EDIT, "4321")
        self.assertTrue(driver.click(h.APPLY)["modal"])
        box = driver.box()
        self.assertEqual((box["caption"], box["text"]),
                         (" ", "CANT APPLY CHANGES. THE .SCM FILE COULD NOT BE WRITTEN."))
        driver.press()
        self.assertEqual(self.script.read_bytes(), self.original_script)
        self.close_editor(editor, driver)


if __name__ == "__main__":
    unittest.main()
