"""Start-up, the main window, the block view and closing, on the real .exe under Wine."""

import os
import unittest

import harness as h

HELP = "\r\n".join([
    "X-POS: Add 50 units to move the vehicle about 1 car-length east.",
    "Y-POS: Add 50 units to move the vehicle about 1 car-length north.",
    "HEADING: 0=north, 1440=west, 2880=south, 4320=east. Adding 16 units",
    "         turns the vehicle 1 degree counterclockwise.",
    "         Degrees: 0=north, 90=west, 180=south, 270=east.",
    "ALARM: Vehicle Alarm. How often the alarm goes off in percent. ",
    "LOCK: Door locks. How often the car is locked in percent. ",
])

# Class, text at creation (None: filled later), x, y, w, h (None: combo boxes, whose height
# here is that of the closed box), id (None: not checked).
LAYOUT = [
    ("Static", "BLOCK", 5, 35, 55, 15, None), ("Static", "CAR IN BLOCK", 75, 35, 100, 15, None),
    ("Static", "SEARCH FOR CAR", 75, 115, 100, 15, None), ("Static", "X-POS", 200, 35, 60, 15, None),
    ("Static", None, 200, 75, 60, 15, None), ("Static", "Y-POS", 270, 35, 60, 15, None),
    ("Static", None, 270, 75, 60, 15, None), ("Static", "HEADING", 340, 35, 60, 15, None),
    ("Static", None, 340, 75, 60, 15, None), ("Static", "UTELLME", 410, 35, 60, 15, None),
    ("Static", None, 410, 75, 60, 15, None), ("Static", "ALARM", 480, 35, 60, 15, None),
    ("Static", None, 480, 75, 60, 15, None), ("Static", "LOCK", 550, 35, 60, 15, None),
    ("Static", None, 550, 75, 75, 15, None), ("Static", None, 230, 110, 300, 60, None),
    ("Static", HELP, 70, 245, 500, 120, None), ("Static", None, 170, 400, 450, 20, None),
    ("Static", None, 170, 425, 450, 20, None), ("Static", None, 230, 185, 300, 20, None),
    ("Static", None, 48, 215, 540, 20, 132),
    ("ComboBox", None, 5, 50, 50, None, 1), ("ComboBox", None, 75, 50, 120, None, 2),
    ("ComboBox", None, 75, 130, 120, None, 3),
    ("Button", "EXIT", 550, 5, 65, 20, 201), ("Button", "SEARCH", 5, 130, 65, 22, 203),
    ("Button", "ENABLE UNSAFE VEHICLES", 15, 160, 180, 22, 204),
    ("Button", "USE BLOCK IN PLUG-IN", 15, 90, 165, 20, 211),
    ("Button", "APPLY CHANGES", 5, 5, 540, 20, 202),
    ("Button", "LOAD DEFAULT.IDE", 10, 400, 150, 20, 205),
    ("Button", "LOAD MAIN.SCM", 10, 425, 150, 20, 206),
    ("Button", "CREATE PLUG-IN", 118, 372, 195, 20, 207),
    ("Button", "LOAD AND USE PLUG-IN", 323, 372, 195, 20, 208),
    ("Button", "<", 23, 215, 20, 20, 209), ("Button", ">", 593, 215, 20, 20, 210),
    ("Edit", None, 200, 52, 60, 20, None), ("Edit", None, 550, 52, 60, 20, None),
    ("Edit", None, 270, 52, 60, 20, None), ("Edit", None, 340, 52, 60, 20, None),
    ("Edit", None, 410, 52, 60, 20, None), ("Edit", None, 480, 52, 60, 20, None),
]

WS_POPUP, WS_VISIBLE, WS_BORDER = 0x80000000, 0x10000000, 0x00800000
WS_CAPTION, WS_THICKFRAME, WS_SYSMENU = 0x00C00000, 0x00040000, 0x00080000
WS_EX_CLIENTEDGE = 0x200
SS_CENTER, SS_NOPREFIX, BS_CHECKBOX, ES_AUTOHSCROLL = 0x1, 0x80, 0x2, 0x80


class FirstStartTest(h.EditorTestCase):
    def test_asks_for_both_files_in_turn_and_remembers_them(self):
        editor = self.start_editor()
        driver = self.start_driver()
        for title, pattern, name, remembered in (
                ("Load DEFAULT.IDE", "*.IDE", "DEFAULT.IDE", "DEFIDE.txt"),
                ("Load the MAIN.SCM file", "*.SCM", "MAIN.SCM", "MAINSCM.txt")):
            box = driver.box(20000)
            self.assertEqual((box["kind"], box["caption"], box["file_name"]),
                             ("file", title, pattern))
            by_id = {control["id"]: control for control in box["controls"]}
            filter_name = f".{pattern[2:]} FILES ({pattern})"
            self.assertEqual(by_id[0x470]["items"], [filter_name])  # the file-type list
            self.assertEqual(by_id[0x471]["text"], self.folder.name)  # starts in the folder
            self.assertFalse((self.folder / remembered).exists())
            driver.answer_file(self.folder / name)
        driver.run("wait-ready", 20000)
        for remembered, name in (("DEFIDE.txt", "DEFAULT.IDE"), ("MAINSCM.txt", "MAIN.SCM")):
            self.assertEqual((self.folder / remembered).read_bytes(),
                             (h.win_path(self.folder / name) + "\r\n").encode())
        self.assertEqual(driver.text(h.DEFINITIONS_LINE),
                         "  " + h.win_path(self.folder / "DEFAULT.IDE"))
        self.assertEqual(driver.text(h.SCRIPT_LINE), "  " + h.win_path(self.script))
        self.close_editor(editor, driver)

        # The second start needs no dialog at all.
        editor = self.start_editor()
        driver.run("wait-ready", 20000)
        self.assertEqual(driver.run("boxes")["boxes"], [])
        self.close_editor(editor, driver)
        self.assertEqual(self.script.read_bytes(), self.original_script)

    def test_cancelling_the_first_dialog_ends_without_asking_for_the_script(self):
        editor = self.start_editor()
        driver = self.start_driver()
        self.assertEqual(driver.box(20000)["caption"], "Load DEFAULT.IDE")
        driver.press(2)  # Cancel
        self.assertEqual(editor.wait(), 0)
        self.assertEqual(driver.run("boxes")["boxes"], [])
        self.assertFalse((self.folder / "DEFIDE.txt").exists())

    def test_a_remembered_definitions_path_that_is_gone_is_asked_for_again(self):
        gone = self.folder / "GONE.IDE"
        h.remember_paths(self.folder, definitions=gone)
        editor = self.start_editor()
        driver = self.start_driver()
        box = driver.box(20000)
        self.assertEqual((box["kind"], box["caption"]), ("message", " "))
        self.assertIn(h.win_path(gone), box["text"])
        driver.press()
        self.assertEqual(driver.box()["caption"], "Load DEFAULT.IDE")
        driver.answer_file(self.folder / "DEFAULT.IDE")
        driver.run("wait-ready", 20000)
        self.assertEqual((self.folder / "DEFIDE.txt").read_bytes(),
                         (h.win_path(self.folder / "DEFAULT.IDE") + "\r\n").encode())
        self.close_editor(editor, driver)


class RunningEditorTest(h.RunningEditorTestCase):
    def tearDown(self):
        super().tearDown()
        self.assertEqual(self.script.read_bytes(), self.original_script)

    def test_window_and_controls(self):
        state = self.driver.state()
        self.assertEqual((state["class"], state["caption"]), ("Tovick", "Tovick Plashgoon"))
        # A bare pop-up: no caption, frame or system menu (the system adds WS_CLIPSIBLINGS).
        frame = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU
        self.assertEqual(state["style"] & frame, WS_POPUP | WS_VISIBLE)
        # Centred on the 1024 x 768 screen of the test display.
        self.assertEqual((state["x"], state["y"], state["w"], state["h"]), (194, 159, 636, 450))
        controls = state["controls"]
        self.assertEqual(len(controls), len(LAYOUT))
        for control, (cls, text, x, y, w, hh, cid) in zip(controls, LAYOUT):
            with self.subTest(control=control["index"]):
                shown = (control["class"], control["x"], control["y"], control["w"])
                self.assertEqual(shown, (cls, x, y, w))
                if hh is not None:
                    self.assertEqual(control["h"], hh)
                if text is not None:
                    self.assertEqual(control["text"], text)
                if cid is not None:
                    self.assertEqual(control["id"], cid)
        style = [c["style"] for c in controls]
        exstyle = [c["exstyle"] for c in controls]
        for index in (4, 6, 8, 10, 12, 14, 20, 21):
            self.assertEqual(style[index - 1] & 0xF, SS_CENTER, index)
        for index in (5, 7, 9, 11, 13, 15, 16, 17, 18, 19):
            self.assertTrue(style[index - 1] & WS_BORDER, index)
        self.assertTrue(style[h.SCROLLER - 1] & SS_NOPREFIX)
        for index in (h.UNSAFE_CHECK, h.PLUGIN_CHECK):
            self.assertEqual(style[index - 1] & 0xF, BS_CHECKBOX, index)
        for index in (20, 21, 36, 37, 38, 39, 40, 41):
            self.assertTrue(exstyle[index - 1] & WS_EX_CLIENTEDGE, index)
        for index in range(36, 42):
            self.assertFalse(style[index - 1] & ES_AUTOHSCROLL, index)

    def test_block_1_after_start(self):
        controls = self.driver.controls()
        blocks = self.blocks()
        block_list = controls[h.BLOCK_LIST - 1]
        self.assertEqual(block_list["items"], [str(n) for n in range(1, len(blocks) + 1)])
        self.assertEqual(block_list["sel"], 0)
        self.assertEqual((blocks[0].hicar, blocks[0].alarm, blocks[0].lock), (0, 0, 0))
        self.assert_view(controls, blocks[0])
        self.assertEqual(controls[h.ALARM_TEXT - 1]["text"], "NO ALARM")
        self.assertEqual(controls[h.LOCK_TEXT - 1]["text"], "NOT LOCKED")
        self.assertEqual([controls[i - 1]["check"] for i in (h.UNSAFE_CHECK, h.PLUGIN_CHECK)],
                         [0, 0])
        self.assertEqual(len(controls[h.SEARCH_LIST - 1]["items"]), 61)
        self.assertEqual(controls[h.DEFINITIONS_LINE - 1]["text"],
                         "  " + h.win_path(self.folder / "DEFAULT.IDE"))
        self.assertEqual(controls[h.SCRIPT_LINE - 1]["text"], "  " + h.win_path(self.script))

    def test_choosing_blocks_shows_them(self):
        blocks = self.blocks()
        # The roles the demo data gives its first blocks.
        self.assertEqual(blocks[1].hicar, 1)
        self.assertFalse(blocks[1].unsafe())
        self.assertTrue(blocks[2].unsafe() and blocks[2].hicar == 0)
        self.assertTrue(blocks[4].unsafe() and blocks[4].hicar == 1)
        # Safe blocks first: once an unsafe one is shown the switch stays on.
        cases = [(2, "two-byte id", False), (4, "in the first zone", False),
                 (len(blocks), "last block", False), (3, "unsafe one-byte", True),
                 (2, "two-byte id with the switch on", True), (5, "unsafe two-byte", True)]
        for number, role, unsafe_on in cases:
            with self.subTest(block=number, role=role):
                self.assertFalse(self.driver.select(h.BLOCK_LIST, number - 1)["modal"])
                controls = self.driver.controls()
                self.assertEqual(controls[h.BLOCK_LIST - 1]["sel"], number - 1)
                self.assert_view(controls, blocks[number - 1], unsafe_enabled=unsafe_on)
                self.assertEqual(controls[h.UNSAFE_CHECK - 1]["check"], int(unsafe_on))
        zone_text = h.expected_view(blocks[3], self.names, self.zones)[h.ZONE_BOX]
        self.assertEqual(zone_text, self.zones[0][0] + "\r\n")

    def test_load_buttons_reload_and_remember(self):
        # "LOAD DEFAULT.IDE" cancelled: the script is reloaded all the same and block 1 shown.
        self.driver.select(h.BLOCK_LIST, 2)  # an unsafe block turns the switch on
        self.assertTrue(self.driver.click(h.LOAD_DEFINITIONS)["modal"])
        self.assertEqual(self.driver.box()["caption"], "Load DEFAULT.IDE")
        self.driver.press(2)
        controls = self.driver.controls()
        self.assertEqual(controls[h.BLOCK_LIST - 1]["sel"], 0)
        self.assertEqual(controls[h.UNSAFE_CHECK - 1]["check"], 0)
        self.assert_view(controls, self.blocks()[0])

        # "LOAD MAIN.SCM" with another script: shown, remembered, plug-in marks cleared.
        self.driver.click(h.PLUGIN_CHECK)
        self.assertEqual(self.driver.controls()[h.PLUGIN_CHECK - 1]["check"], 1)
        other = self.folder / "other"
        other.mkdir()
        h.generate(other, "--seed", 7)
        self.assertTrue(self.driver.click(h.LOAD_SCRIPT)["modal"])
        box = self.driver.box()
        self.assertEqual((box["caption"], box["file_name"]), ("Load the MAIN.SCM file", "*.SCM"))
        self.assertFalse(self.driver.answer_file(other / "MAIN.SCM")["modal"])
        controls = self.driver.controls()
        other_blocks = h.read_blocks(other / "MAIN.SCM")
        self.assertEqual(controls[h.BLOCK_LIST - 1]["sel"], 0)
        self.assert_view(controls, other_blocks[0])
        self.assertEqual(controls[h.PLUGIN_CHECK - 1]["check"], 0)
        self.assertEqual(controls[h.SCRIPT_LINE - 1]["text"], "  " + h.win_path(other / "MAIN.SCM"))
        self.assertEqual((self.folder / "MAINSCM.txt").read_bytes(),
                         (h.win_path(other / "MAIN.SCM") + "\r\n").encode())

    def test_a_second_instance_exits_at_once(self):
        second = self.start_editor()
        self.assertEqual(second.wait(timeout=20), 0)
        self.assertTrue(self.editor.running())
        self.assertEqual(self.driver.run("boxes")["boxes"], [])

    def test_exit_shows_the_closing_message_and_ends_with_0(self):
        self.close_editor(self.editor, self.driver)
        self.driver.run("wait-gone", 5000)


class StartUpTraceTest(h.EditorTestCase):
    PHASES = ["entry routine reached", "window class registered", "zone file read",
              "window centred", "control font created", "41 controls created",
              "definitions loaded", "script loaded", "block 1 shown", "scroller started",
              "window shown", "window painted", "controls painted"]

    def test_the_trace_names_every_phase_in_order_once_the_window_is_painted(self):
        h.remember_paths(self.folder)
        trace = self.folder / "trace.txt"
        os.environ["TOVICK_STARTUP_TRACE"] = h.win_path(trace)
        try:
            editor = self.start_editor()
        finally:
            del os.environ["TOVICK_STARTUP_TRACE"]
        driver = self.start_driver()
        driver.run("wait-ready", 20000)
        self.wait_for(lambda: trace.exists() and trace.read_text().endswith("painted\n"))
        marks = [line.split("\t") for line in trace.read_text().splitlines()]
        self.assertEqual([phase for _, phase in marks], self.PHASES)
        times = [int(microseconds) for microseconds, _ in marks]
        self.assertEqual(times, sorted(times))
        self.close_editor(editor, driver)


class FailedStartTest(h.EditorTestCase):
    """Each load failure at start gives its message and ends the program."""

    def test_load_failures(self):
        cases = [
            ("script too short", ("--length", 70203),
             lambda folder: f"Length of \r\n{h.win_path(folder / 'MAIN.SCM')}\r\n( 70203) too short"),
            ("malformed car table", ("--break-strict",),
             lambda folder: "Error in car table. Please replace MAIN.SCM."),
            ("too few vehicles", ("--vehicles", 58),
             lambda folder: " 3 car(s) missing. Please use the original DEFAULT.IDE"),
        ]
        for name, options, message in cases:
            with self.subTest(name):
                folder = h.RUNS_DIR / f"{self.id()}.{options[0].strip('-')}"
                h.shutil.rmtree(folder, ignore_errors=True)
                folder.mkdir(parents=True)
                h.generate(folder, *options)
                script = (folder / "MAIN.SCM").read_bytes()
                h.remember_paths(folder)
                editor = self.start_editor(folder)
                driver = self.start_driver()
                self.assert_box(driver.box(20000), message(folder))
                driver.press()
                self.assertEqual(editor.wait(), 0)
                self.assertEqual(driver.run("boxes")["boxes"], [])
                self.assertEqual((folder / "MAIN.SCM").read_bytes(), script)
                driver.close()


if __name__ == "__main__":
    unittest.main()
