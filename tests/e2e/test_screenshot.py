"""A picture of the main window under Xvfb, kept in the build tree (e2e-shots/) for a person to
look at, and checked for its size and that it is not blank."""

import os
import subprocess
import unittest

import harness as h


def image_facts(path):
    """(width, height, number of colours, standard deviation 0..1) of an image."""
    out = subprocess.run(["identify", "-format", "%w %h %k %[fx:standard_deviation]", str(path)],
                         check=True, stdout=subprocess.PIPE, text=True).stdout.split()
    return int(out[0]), int(out[1]), int(out[2]), float(out[3])


class ScreenshotTest(h.EditorTestCase):
    def test_main_window_picture(self):
        editor, driver = self.start_ready()
        driver.select(h.BLOCK_LIST, 2)  # an unsafe block: the warning line is filled too
        state = driver.state()
        h.SHOTS_DIR.mkdir(parents=True, exist_ok=True)
        shot = h.SHOTS_DIR / "main-window.png"
        geometry = f"{state['w']}x{state['h']}+{state['x']}+{state['y']}"
        subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", "root",
                        "-crop", geometry, "+repage", str(shot)], check=True)
        width, height, colours, spread = image_facts(shot)
        self.assertEqual((width, height), (636, 450))
        self.assertGreaterEqual(colours, 4)  # text, edges and backgrounds, not one flat colour
        self.assertGreater(spread, 0.05)
        self.close_editor(editor, driver)


if __name__ == "__main__":
    unittest.main()
