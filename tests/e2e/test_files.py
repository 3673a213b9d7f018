"""Files held by another program, the script the editor holds, text files that are no text files,
and paths in letters of no ANSI code page, on the real programs under Wine."""

import os
import select
import shutil
import subprocess
import unittest

import harness as h

HOLD_EXE = h.BUILD_DIR / "tovick-hold.exe"
CARS_EXE = h.BUILD_DIR / "tovick-cars.exe"
SHARING_VIOLATION = "refused 32"
MAX_TEXT_FILE_BYTES = 16 * 1024 * 1024


def try_write(path):
    """Whether another program could open the file for writing now: tovick-hold's answer."""
    done = subprocess.run([h.WINE, str(HOLD_EXE), "try-write", h.win_path(path)],
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True, timeout=30, check=False)
    return done.stdout.strip()


class Holder:
    """tovick-hold holding a file open without sharing until released."""

    def __init__(self, path):
        self.process = subprocess.Popen([h.WINE, str(HOLD_EXE), "hold", h.win_path(path)],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True,
                                        start_new_session=True)
        ready, _, _ = select.select([self.process.stdout], [], [], 30)
        self.answer = self.process.stdout.readline().strip() if ready else "no answer"

    def release(self):
        self.process.stdin.close()
        return self.process.wait(timeout=15)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)


class HeldScriptTest(h.EditorTestCase):
    @classmethod
    def setUpClass(cls):
        if not HOLD_EXE.exists():
            raise unittest.SkipTest(f"{HOLD_EXE.name} is not built")
        super().setUpClass()

    def hold(self, path):
        holder = Holder(path)
        self._processes.append(holder)
        self.assertEqual(holder.answer, "held")
        return holder

    def test_a_script_another_program_holds_is_refused_and_left_alone(self):
        h.remember_paths(self.folder)
        written = self.script.stat().st_mtime_ns
        holder = self.hold(self.script)
        editor = self.start_editor()
        driver = self.start_driver()
        self.assert_box(driver.box(20000), "Couldn't open the .SCM file")
        driver.press()
        box = driver.box()
        self.assertEqual((box["kind"], box["caption"]), ("file", "Load the MAIN.SCM file"))
        driver.press(2)  # Cancel
        self.assertEqual(editor.wait(), 0)
        self.assertEqual(holder.release(), 0)
        self.assertEqual(self.script.read_bytes(), self.original_script)
        self.assertEqual(self.script.stat().st_mtime_ns, written)

    def test_the_editor_holds_its_script_against_other_writers(self):
        editor, driver = self.start_ready()
        self.assertEqual(try_write(self.script), SHARING_VIOLATION)
        self.assertEqual(try_write(self.folder / "DEFAULT.IDE"), "opened")  # read and closed
        self.close_editor(editor, driver)
        self.assertEqual(try_write(self.script), "opened")


class HostileTextFilesTest(unittest.TestCase):
    """tovick-cars.exe refuses a device, a folder or a file too large as a definitions, zone or
    plug-in file, at once and with exit code 2."""

    @classmethod
    def setUpClass(cls):
        if not CARS_EXE.exists():
            raise unittest.SkipTest(f"{CARS_EXE.name} is not built")
        h.ensure_wine_env()
        cls.folder = h.RUNS_DIR / cls.__name__
        shutil.rmtree(cls.folder, ignore_errors=True)
        cls.folder.mkdir(parents=True)
        h.generate(cls.folder)
        with open(cls.folder / "big.txt", "wb") as big:
            big.truncate(MAX_TEXT_FILE_BYTES + 1)

    def cars(self, *words):
        return subprocess.run([h.WINE, str(CARS_EXE), *words], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                              timeout=30, check=False)

    def test_refused_with_exit_code_2(self):
        script = h.win_path(self.folder / "MAIN.SCM")
        big = h.win_path(self.folder / "big.txt")
        rows = [
            (["--ide", "NUL"], "Couldn't open the .IDE file: NUL"),
            (["--zones", h.win_path(self.folder)], "Couldn't open the zone file"),
            (["apply", "CON"], "Couldn't open the plug-in file: CON"),
            (["--ide", big], f"Couldn't use the .IDE file (larger than 16 MiB): {big}"),
            (["--zones", big], "Couldn't use the zone file (larger than 16 MiB)"),
            (["apply", big], "Couldn't use the plug-in file (larger than 16 MiB)"),
        ]
        for words, message in rows:
            with self.subTest(words=words):
                done = self.cars(*words, script)
                self.assertEqual(done.returncode, 2)
                self.assertIn(message, done.stderr)


class NonAsciiPathsTest(unittest.TestCase):
    """tovick-cars.exe lists, applies a plug-in to and syncs a save in a folder named in Cyrillic
    and Japanese letters, none of them in an ANSI code page: its command line is read wide."""

    FOLDER = "Сохранения セーブ"
    SAVE = "Сохранение セーブ1.b"
    PLUGIN = "Правка プラグイン.TOVICK1"

    @classmethod
    def setUpClass(cls):
        if not CARS_EXE.exists():
            raise unittest.SkipTest(f"{CARS_EXE.name} is not built")
        h.ensure_wine_env()
        runs = h.RUNS_DIR / cls.__name__
        shutil.rmtree(runs, ignore_errors=True)
        # tovick-gen takes ASCII paths only: the files are made in plain folders and copied.
        h.generate(runs / "original", "--save")
        h.generate(runs / "changed", "--changed")
        done = cls.cars("diff", "--plugin", h.win_path(runs / "changes.TOVICK1"),
                        h.win_path(runs / "original" / "MAIN.SCM"),
                        h.win_path(runs / "changed" / "MAIN.SCM"))
        if done.returncode not in (0, 7):
            raise AssertionError(f"making the plug-in: exit {done.returncode}: {done.stderr}")
        cls.folder = runs / cls.FOLDER
        cls.folder.mkdir()
        shutil.copy(runs / "original" / "MAIN.SCM", cls.folder / "MAIN.SCM")
        shutil.copy(runs / "original" / "GTA3sf1.b", cls.folder / cls.SAVE)
        shutil.copy(runs / "changes.TOVICK1", cls.folder / cls.PLUGIN)
        cls.changed_script = (runs / "changed" / "MAIN.SCM").read_bytes()
        cls.original_save = (runs / "original" / "GTA3sf1.b").read_bytes()

    @staticmethod
    def cars(*words):
        # Wine turns the UTF-8 arguments into the wide command line under a UTF-8 locale.
        return subprocess.run([h.WINE, str(CARS_EXE), *words], stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60,
                              check=False, env={**os.environ, "LC_ALL": "C.UTF-8"},
                              encoding="utf-8", errors="replace")

    def test_listed_applied_to_and_synced(self):
        script, save = self.folder / "MAIN.SCM", self.folder / self.SAVE
        done = self.cars(h.win_path(script))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("100 block(s)", done.stdout)

        done = self.cars("apply", h.win_path(self.folder / self.PLUGIN), h.win_path(script))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(script.read_bytes(), self.changed_script)

        done = self.cars("save", "sync", h.win_path(script), h.win_path(save))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertNotEqual(save.read_bytes(), self.original_save)
        self.assertEqual((self.folder / (self.SAVE + ".bak")).read_bytes(), self.original_save)
