"""The scroller strip and the vehicle search on the real .exe under Wine: the help text scrolling
from a blank start, pixel by pixel, the speed buttons, the message after an apply, and the search
through the search list and the SEARCH button."""

import os
import statistics
import subprocess
import time
import unittest

import harness as h

MESSAGE = "Changes applied successfully"
SPACED = " ".join(MESSAGE) + " "  # the typing stage: a blank after each letter


def watch(driver, milliseconds):
    """Every change of the strip's text over a while: [(seconds, text)], the first entry being
    the text at the start."""
    changes = driver.run("watch", h.SCROLLER, milliseconds, timeout=milliseconds / 1000 + 20)
    return [(change["us"] / 1e6, change["text"]) for change in changes["changes"]]


def intervals(changes):
    """Seconds between consecutive text changes (the first entry is no change)."""
    times = [when for when, _ in changes[1:]]
    return [b - a for a, b in zip(times, times[1:])]


def strip_picture(window):
    """The grey levels of the strip's text line on the screen, one bytes object per pixel row
    (13 rows of 500 pixels), for the main window as the driver's state describes it."""
    left, top = window["x"] + 51 + 16, window["y"] + 216 + 2
    out = subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", "root", "-crop",
                          f"500x13+{left}+{top}", "+repage", "-colorspace", "gray", "-depth", "8",
                          "pgm:-"], check=True, stdout=subprocess.PIPE).stdout
    _, size, _, pixels = out.split(b"\n", 3)  # "P5", "W H", "255", the pixels
    width, height = map(int, size.split())
    return [pixels[row * width:(row + 1) * width] for row in range(height)]


def shift_between(before, after, reach=4):
    """How many pixels the picture moved sideways (negative: left), and whether it matches
    exactly there."""
    def mismatch(shift):
        return sum(abs(a[x] - b[x + shift]) for a, b in zip(before, after)
                   for x in range(reach, len(a) - reach))
    best = min(range(-reach, reach + 1), key=mismatch)
    return best, mismatch(best) == 0


class ScrollerTest(h.RunningEditorTestCase):
    def press_spaced(self, button, delays):
        """Presses a speed button once per delay, each press after the scroller has surely taken
        the one before: a request it has not taken yet is replaced by the next."""
        for delay in delays:
            self.driver.click(button)
            time.sleep(2 * delay / 1000 + 0.05)

    def wait_for_text(self, letters=1, timeout=10.0):
        """Waits until the strip shows at least so many non-blank characters."""
        deadline = time.monotonic() + timeout
        while len(self.driver.text(h.SCROLLER).replace(" ", "")) < letters:
            if time.monotonic() > deadline:
                self.fail("the strip stayed blank")
            time.sleep(0.1)

    def test_blank_start_then_the_text_moves_left_at_the_speed_asked(self):
        self.assertEqual(self.driver.text(h.SCROLLER).strip(), "")
        self.wait_for_text()

        # Every seventh tick of 10 ms the text moves on by one character.
        changes = watch(self.driver, 1200)
        for (_, before), (_, after) in zip(changes, changes[1:]):
            self.assertEqual((len(before), len(after)), (72, 72))
            self.assertEqual(after[:-1], before[1:])
        default = statistics.median(intervals(changes))
        self.assertTrue(0.06 <= default <= 0.1, default)

        # Five ">" double the delay up to its bound: 20, 40, 80, 160, 200 ms a tick.
        self.press_spaced(h.SLOWER, [10, 20, 40, 80, 160])
        slow = intervals(watch(self.driver, 3300))
        self.assertTrue(slow and all(1.2 <= gap <= 1.7 for gap in slow), slow)

        # One "<" halves it: 100 ms a tick.
        self.press_spaced(h.FASTER, [200])
        faster = intervals(watch(self.driver, 2200))
        self.assertTrue(faster and 0.6 <= faster[-1] <= 0.85, faster)

    def test_the_strip_moves_pixel_by_pixel_between_text_changes(self):
        self.wait_for_text(letters=30)  # the text reaches across the pictures taken
        self.press_spaced(h.SLOWER, [10, 20])  # 40 ms a tick, 280 ms for each text
        window = self.driver.state()
        shots = []
        for _ in range(16):
            text = self.driver.text(h.SCROLLER)
            shots.append((text, strip_picture(window), self.driver.text(h.SCROLLER)))
        # While the text stays the same the picture moves left a pixel a tick. (A new text is
        # drawn a little after it is set, so now and then such a pair shows the jump to it.)
        shifts = [shift_between(a, b) for (_, a, text_a), (text_b, b, text_c) in
                  zip(shots, shots[1:]) if text_a == text_b == text_c]
        moved_left = [shift for shift, exact in shifts if exact and shift in (-1, -2)]
        self.assertGreaterEqual(len(moved_left), 4, shifts)

    def test_apply_types_the_message_then_scrolling_resumes(self):
        self.driver.type(h.X_EDIT, "16")
        self.assertFalse(self.driver.click(h.APPLY)["modal"])
        texts = [text for _, text in watch(self.driver, 2500)]
        # Typed letter by letter (the watch may begin a few letters in).
        typed = [text for text in texts if text and SPACED.startswith(text)]
        self.assertEqual(typed, [SPACED[:len(typed[0]) + 2 * i] for i in range(len(typed))])
        self.assertEqual(typed[-1], SPACED)
        self.assertIn(MESSAGE + " ", texts)  # closed up and held
        drifting = [text for text in texts if text.startswith("-") and text.endswith("-")]
        self.assertTrue(drifting and all(len(text) == 62 for text in drifting), drifting)
        # Then the strip is emptied, and the help text goes on where it stopped.
        self.assertIn("", texts[texts.index(drifting[-1]):])
        self.assertEqual(len(texts[-1]), 72)


class ClosingWhileScrollingTest(h.EditorTestCase):
    """The scroller thread runs flat out (scroll delay 0), in the middle of a message's effect,
    when the program ends: it ends all the same, with exit code 0."""

    def flat_out_with_a_message(self):
        editor, driver = self.start_ready()
        for _ in range(4):  # 10 -> 5 -> 2 -> 1 -> 0 ms
            driver.click(h.FASTER)
            time.sleep(0.05)
        driver.type(h.X_EDIT, "32")
        driver.click(h.APPLY)
        return editor, driver

    def test_exit(self):
        editor, driver = self.flat_out_with_a_message()
        self.close_editor(editor, driver)

    def test_a_failed_load_ends_the_program_without_destroying_the_window(self):
        short = self.folder / "SHORT.SCM"
        short.write_bytes(self.original_script[:70203])
        editor, driver = self.flat_out_with_a_message()
        self.assertTrue(driver.click(h.LOAD_SCRIPT)["modal"])
        driver.answer_file(short)
        self.assert_box(driver.box(), f"Length of \r\n{h.win_path(short)}\r\n( 70203) too short")
        driver.press()
        self.assertEqual(editor.wait(), 0)


class SearchTest(h.EditorTestCase):
    def setUp(self):
        super().setUp()
        self.editor, self.driver = self.start_ready()

    def tearDown(self):
        try:
            if self.editor.running():
                self.close_editor(self.editor, self.driver)
            self.assertEqual(self.script.read_bytes(), self.original_script)  # only reads
        finally:
            super().tearDown()

    def test_search_list_and_button_step_through_the_blocks_with_the_vehicle(self):
        blocks = self.blocks()
        counts = {}
        for block in blocks:
            counts[block.car_id] = counts.get(block.car_id, 0) + 1
        # A vehicle of several blocks, not in block 1 nor in the last.
        wanted = max((vehicle for vehicle in counts
                      if blocks[0].car_id != vehicle != blocks[-1].car_id),
                     key=lambda vehicle: counts[vehicle])
        holders = [n for n, block in enumerate(blocks, 1) if block.car_id == wanted]
        self.assertGreaterEqual(len(holders), 2)

        unsafe_seen = False
        shown = 1

        def expect(block_number, passed_to):
            nonlocal unsafe_seen
            unsafe_seen = unsafe_seen or any(b.unsafe() for b in blocks[shown:passed_to])
            controls = self.driver.controls()
            self.assertEqual(controls[h.BLOCK_LIST - 1]["sel"], block_number - 1)
            self.assert_view(controls, blocks[passed_to - 1], unsafe_enabled=unsafe_seen)

        # Choosing the vehicle in the search list searches from block 1 on.
        self.assertFalse(self.driver.select(h.SEARCH_LIST, wanted - 90)["modal"])
        expect(holders[0], holders[0])
        shown = holders[0]
        # Each SEARCH finds the next one; past the last, no block is selected.
        for holder in holders[1:]:
            self.assertFalse(self.driver.click(h.SEARCH)["modal"])
            expect(holder, holder)
            shown = holder
        self.driver.click(h.SEARCH)
        expect(0, len(blocks))
        # The next search starts over at block 1.
        shown = 0
        self.driver.click(h.SEARCH)
        expect(holders[0], holders[0])


if __name__ == "__main__":
    unittest.main()
