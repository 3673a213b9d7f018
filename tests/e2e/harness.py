"""Shared harness of the end-to-end tests: runs the real TovickPlashgoon.exe under Wine and works
its window through tovick-driver.exe, on demo data made by tovick-gen.

Environment (CMake sets these for ctest; defaults suit a build tree at TOVICK_BUILD_DIR):
  TOVICK_BUILD_DIR   the Windows build tree holding the three .exe files
  TOVICK_GEN         optional: a native tovick-gen to use instead of tovick-gen.exe under Wine
  TOVICK_E2E_FIXTURE set when ctest's fixture owns the Wine environment (started and stopped
                     outside the tests); otherwise the harness starts it and stops it at exit
"""

import atexit
import json
import os
import pwd
import select
import shutil
import signal
import subprocess
import time
import unittest
from decimal import ROUND_HALF_EVEN, Decimal
from fractions import Fraction
from pathlib import Path

HERE = Path(__file__).resolve().parent
BUILD_DIR = Path(os.environ.get("TOVICK_BUILD_DIR", HERE.parent.parent / "build-f-win")).resolve()
EDITOR_EXE = BUILD_DIR / "TovickPlashgoon.exe"
DRIVER_EXE = BUILD_DIR / "tovick-driver.exe"
GEN_EXE = BUILD_DIR / "tovick-gen.exe"
WINE_ENV = HERE / "wine_env.sh"
# Starts a Windows program with the Wine loader that fits it (see scripts/wine.sh).
WINE = str(HERE.parent.parent / "scripts" / "wine.sh")
RUNS_DIR = BUILD_DIR / "e2e-runs"
SHOTS_DIR = BUILD_DIR / "e2e-shots"
UNPRIVILEGED_USER = "tovicke2e"

# Controls of the main window, numbered in creation order.
X_TEXT, Y_TEXT, HEADING_TEXT, UTELLME_TEXT, ALARM_TEXT, LOCK_TEXT = 5, 7, 9, 11, 13, 15
ZONE_BOX, HELP_TEXT, DEFINITIONS_LINE, SCRIPT_LINE, WARNING_LINE, SCROLLER = 16, 17, 18, 19, 20, 21
BLOCK_LIST, VEHICLE_LIST, SEARCH_LIST = 22, 23, 24
EXIT, SEARCH, UNSAFE_CHECK, PLUGIN_CHECK, APPLY = 25, 26, 27, 28, 29
LOAD_DEFINITIONS, LOAD_SCRIPT, CREATE_PLUGIN, LOAD_PLUGIN = 30, 31, 32, 33
FASTER, SLOWER = 34, 35  # "<" and ">" beside the scroller strip
X_EDIT, LOCK_EDIT, Y_EDIT, HEADING_EDIT, UTELLME_EDIT, ALARM_EDIT = 36, 37, 38, 39, 40, 41

# Buttons of message boxes, for Driver.press.
IDOK, IDYES, IDNO = 1, 6, 7

# ----------------------------------------------------------------------------------------------
# The Wine environment


def _load_exports(text):
    for word in text.replace("export ", "").split():
        key, _, value = word.partition("=")
        os.environ[key] = value.strip("'")


_env_ready = False


def ensure_wine_env():
    """Starts (or joins) the shared Wine prefix, X server and wineserver."""
    global _env_ready
    if _env_ready:
        return
    exports = subprocess.run([str(WINE_ENV), "start", str(BUILD_DIR)], check=True,
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True).stdout
    _load_exports(exports)
    if not os.environ.get("TOVICK_E2E_FIXTURE"):
        atexit.register(lambda: subprocess.run([str(WINE_ENV), "stop", str(BUILD_DIR)],
                                               stdin=subprocess.DEVNULL, check=False))
    _env_ready = True


def win_path(path):
    """The Windows name of a Unix path under Wine (drive Z: is the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


# ----------------------------------------------------------------------------------------------
# Processes: the editor and the driver, each ended by its own pid


class User:
    """Who runs the Wine processes: None for the current user, or an unprivileged account with a
    Wine prefix of its own."""

    def __init__(self, name=None, prefix=None):
        self.name = name
        self.prefix = prefix

    def command(self, args):
        if self.name is None:
            return args
        env = [f"WINEPREFIX={self.prefix}", "WINEDEBUG=-all", f"DISPLAY={os.environ['DISPLAY']}",
               f"HOME={pwd.getpwnam(self.name).pw_dir}"]
        return ["runuser", "-u", self.name, "--", "env", *env] + args


CURRENT_USER = User()


class Editor:
    def __init__(self, folder, user=CURRENT_USER, exe=EDITOR_EXE):
        self.process = subprocess.Popen(user.command([WINE, str(exe)]), cwd=folder,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)

    def wait(self, timeout=15):
        """The exit code; fails the test when the editor does not end in time."""
        return self.process.wait(timeout=timeout)

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait(timeout=10)


class DriverError(AssertionError):
    pass


class Driver:
    """One tovick-driver.exe in serve mode: a command per line, a JSON answer per line."""

    def __init__(self, user=CURRENT_USER, exe=DRIVER_EXE):
        self.process = subprocess.Popen(user.command([WINE, str(exe), "serve"]),
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, text=True, bufsize=1,
                                        start_new_session=True)

    def run(self, *words, check=True, timeout=40):
        line = "\t".join(str(word) for word in words) + "\n"
        self.process.stdin.write(line)
        self.process.stdin.flush()
        ready, _, _ = select.select([self.process.stdout], [], [], timeout)
        if not ready:
            raise DriverError(f"driver gave no answer to {words!r}")
        answer = json.loads(self.process.stdout.readline())
        if check and not answer["ok"]:
            raise DriverError(f"{words!r}: {answer.get('error')}")
        return answer

    # Shorthands over the driver's commands.
    def state(self):
        return self.run("state")

    def controls(self):
        return self.state()["controls"]

    def text(self, control):
        return self.run("text", control)["text"]

    def box(self, timeout_ms=10000):
        return self.run("box", timeout_ms)["box"]

    def press(self, button=1):
        return self.run("press", button)

    def answer_file(self, path):
        return self.run("file", win_path(path))

    def click(self, control):
        return self.run("click", control)

    def select(self, combo, position):
        return self.run("select", combo, position)

    def type(self, control, text):
        return self.run("type", control, text)

    def close(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write("quit\n")
                self.process.stdin.flush()
                self.process.wait(timeout=5)
            except (OSError, subprocess.TimeoutExpired):
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait(timeout=10)
        for pipe in (self.process.stdin, self.process.stdout):
            try:
                pipe.close()
            except OSError:
                pass


# ----------------------------------------------------------------------------------------------
# Demo data


def generate(folder, *options):
    """Writes MAIN.SCM, DEFAULT.IDE and TovickZon.txt into folder with tovick-gen."""
    native = os.environ.get("TOVICK_GEN")
    if native:
        command = [native, "--dir", str(folder)]
    else:
        command = [WINE, str(GEN_EXE), "--dir", win_path(folder)]
    # No descriptor of ours is passed on: a Wine service started here would keep it open.
    subprocess.run(command + [str(option) for option in options], check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def remember_paths(folder, definitions=None, script=None):
    """Writes the two remembered-path files the editor reads at start."""
    folder = Path(folder)
    (folder / "DEFIDE.txt").write_bytes(
        (win_path(definitions or folder / "DEFAULT.IDE") + "\r\n").encode())
    (folder / "MAINSCM.txt").write_bytes(
        (win_path(script or folder / "MAIN.SCM") + "\r\n").encode())


# ----------------------------------------------------------------------------------------------
# What the window must show, worked out from the files themselves


def number_text(value, digits=7):
    """A number as the editor prints it: leading blank for non-negative values, `digits`
    significant digits rounded half to even, no "0" before the point."""
    value = Decimal(value.numerator) / Decimal(value.denominator) if isinstance(
        value, Fraction) else Decimal(value)
    if value == 0:
        return " 0"
    sign = "-" if value < 0 else " "
    value = abs(value)
    step = Decimal(1).scaleb(value.adjusted() - digits + 1)
    text = format(value.quantize(step, rounding=ROUND_HALF_EVEN).normalize(), "f")
    if text.startswith("0."):
        text = text[1:]
    return sign + text


SIGNATURE = {0: 0x00, 4: 0x02, 7: 0x4B, 8: 0x01, 9: 0x06, 12: 0x06, 15: 0x06, 18: 0x06}
SOFT = {1: 0x05, 2: 0x10, 3: 0x27}
TAIL = {24: 0xFF, 25: 0x04, 26: 0xFF, 27: 0x04, 28: 0x00, 29: 0x04, 31: 0x04}
SCAN_FIRST, SCAN_LAST = 65224, 70239


def scan_blocks(data):
    """The block addresses of a mission script, and whether the table is malformed."""
    def byte(p):
        return data[p] if p < len(data) else 0

    addresses, start, hicar, p = [], None, 0, SCAN_FIRST
    while p <= SCAN_LAST:
        b = byte(p)
        if start is not None:
            k = p - start
            if k in SOFT and b != SOFT[k]:
                start = None
            elif k in SIGNATURE and b != SIGNATURE[k]:
                return addresses, True
            elif k == 21:
                if b not in (4, 5):
                    return addresses, True
                hicar = b - 4
            elif k >= 24 and k - hicar in TAIL and b != TAIL[k - hicar]:
                return addresses, True
            elif k == 33 + hicar:
                addresses.append(start)
                start = None
                if b != 0x04:
                    p += 10
        if start is None and byte(p) == 0:
            start = p
        p += 1
    return addresses, False


class Block:
    def __init__(self, data, address):
        def s16(offset):
            return int.from_bytes(data[address + offset:address + offset + 2], "little", signed=True)

        self.address = address
        self.hicar = data[address + 21] - 4
        self.car_id = data[address + 22]
        self.x, self.y = s16(10), s16(13)
        self.word = s16(16) & 0xFFFF
        self.heading = s16(19)
        self.alarm = data[address + 30 + self.hicar]
        self.lock = data[address + 32 + self.hicar]

    def unsafe(self):
        return (self.hicar == 0 and self.car_id > 127) or (self.hicar == 1 and self.car_id < 128)


def read_blocks(script_path):
    data = Path(script_path).read_bytes()
    addresses, _ = scan_blocks(data)
    return [Block(data, address) for address in addresses]


def read_vehicle_names(ide_path):
    """Vehicle names by id as the editor keeps them (upper case, at most 13 characters)."""
    names = {}
    for line in Path(ide_path).read_bytes().decode("latin-1").split("\r"):
        line = line[1:] if line.startswith("\n") else line
        fields = line.split(",")
        try:
            vehicle_id = int(fields[0].strip(" \t\n"))
        except ValueError:
            continue
        if 90 <= vehicle_id <= 159 and len(fields) >= 10:
            names[vehicle_id] = fields[1].strip(" \t").upper()[:13]
    return names


def read_zones(zone_path):
    def s16(text):
        return (int(text.strip() or 0) + 0x8000) % 0x10000 - 0x8000

    zones = []
    for line in Path(zone_path).read_bytes().decode("latin-1").split("\r\n"):
        if line:
            fields = (line.split(",") + ["", "", "", ""])[:5]
            zones.append((fields[0][:39], *[s16(field) for field in fields[1:]]))
    return zones


def expected_view(block, names, zones, unsafe_enabled=False):
    """The texts and selections the block view must show for a block."""
    highest = max(names)
    if unsafe_enabled or block.unsafe():
        ids = range(90, highest + 1)
    elif block.car_id >= 128:
        ids = range(128, highest + 1)
    else:
        ids = range(90, 128)
    degrees = round(Fraction(block.heading, 16))
    if degrees > 359:
        degrees -= 360
    return {
        X_EDIT: number_text(block.x),
        X_TEXT: number_text(Fraction(block.x, 16)).strip(),
        Y_EDIT: number_text(block.y),
        Y_TEXT: number_text(Fraction(block.y, 16)).strip(),
        UTELLME_EDIT: format(block.word, "X"),
        UTELLME_TEXT: f"{block.word & 0xFF:02X}h {block.word >> 8:02X}h",
        HEADING_EDIT: number_text(block.heading),
        HEADING_TEXT: number_text(degrees, 15) + " deg",
        ALARM_EDIT: number_text(block.alarm),
        ALARM_TEXT: "NO ALARM" if block.alarm == 0 else " ",
        LOCK_EDIT: number_text(block.lock),
        LOCK_TEXT: "NOT LOCKED" if block.lock == 0 else " ",
        WARNING_LINE: "THIS VEHICLE IS UNSAFE" if block.unsafe() else " ",
        ZONE_BOX: "".join(name + "\r\n" for name, x0, y0, x1, y1 in zones
                          if x0 < block.x < x1 and y0 < block.y < y1),
        "vehicles": [names.get(i, "") for i in ids],
        "vehicle": block.car_id - ids[0],
    }


def shown_view(controls):
    """The same keys as expected_view, read from a state dump."""
    view = {index: controls[index - 1]["text"] for index in (
        X_EDIT, X_TEXT, Y_EDIT, Y_TEXT, UTELLME_EDIT, UTELLME_TEXT, HEADING_EDIT, HEADING_TEXT,
        ALARM_EDIT, ALARM_TEXT, LOCK_EDIT, LOCK_TEXT, WARNING_LINE, ZONE_BOX)}
    view["vehicles"] = controls[VEHICLE_LIST - 1]["items"]
    view["vehicle"] = controls[VEHICLE_LIST - 1]["sel"]
    return view


# ----------------------------------------------------------------------------------------------
# The test case base


def unprivileged_user():
    """An account for the tests that root cannot make (a read-only file is writable to root
    under Wine). Returns (User, None) or (None, reason to skip)."""
    if os.geteuid() != 0:
        return CURRENT_USER, None
    try:
        pwd.getpwnam(UNPRIVILEGED_USER)
    except KeyError:
        made = subprocess.run(["useradd", "--create-home", "--shell", "/bin/false",
                               UNPRIVILEGED_USER], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if made.returncode != 0:
            return None, f"cannot add the test user {UNPRIVILEGED_USER}: {made.stderr.strip()}"
    home = Path(pwd.getpwnam(UNPRIVILEGED_USER).pw_dir)
    prefix = home / "wineprefix"
    user = User(UNPRIVILEGED_USER, prefix)
    # Quick when the prefix is ready; wine_env.sh decides (it also updates an old prefix).
    subprocess.run(user.command([str(WINE_ENV), "prefix", str(prefix)]), check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    atexit.register(lambda: subprocess.run(user.command(["wineserver", "-k"]), check=False,
                                           stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    return user, None


class EditorTestCase(unittest.TestCase):
    """A fresh folder per test; every editor and driver started is ended by its pid."""

    template = None  # one folder of generated data per class, copied into each test's folder
    generator_options = ()

    @classmethod
    def setUpClass(cls):
        for exe in (EDITOR_EXE, DRIVER_EXE):
            if not exe.exists():
                raise unittest.SkipTest(f"{exe.name} is not built")
        ensure_wine_env()
        cls.template = RUNS_DIR / f"{cls.__module__}.{cls.__name__}.data"
        shutil.rmtree(cls.template, ignore_errors=True)
        cls.template.mkdir(parents=True)
        generate(cls.template, *cls.generator_options)

    def setUp(self):
        self.folder = RUNS_DIR / self.id()
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.copytree(self.template, self.folder)
        self.script = self.folder / "MAIN.SCM"
        self.original_script = self.script.read_bytes()
        self.names = read_vehicle_names(self.folder / "DEFAULT.IDE")
        self.zones = read_zones(self.folder / "TovickZon.txt")
        self._processes = []

    def tearDown(self):
        for process in reversed(self._processes):
            if isinstance(process, Driver):
                process.close()
            else:
                process.kill()

    def start_editor(self, folder=None, user=CURRENT_USER):
        editor = Editor(folder or self.folder, user)
        self._processes.append(editor)
        return editor

    def start_driver(self, user=CURRENT_USER):
        driver = Driver(user)
        self._processes.append(driver)
        return driver

    def start_ready(self):
        """Editor with both paths remembered, block 1 shown: (editor, driver)."""
        remember_paths(self.folder)
        editor = self.start_editor()
        driver = self.start_driver()
        driver.run("wait-ready", 20000)
        return editor, driver

    def blocks(self):
        return read_blocks(self.script)

    def assert_view(self, controls, block, unsafe_enabled=False):
        self.assertEqual(shown_view(controls),
                         expected_view(block, self.names, self.zones, unsafe_enabled))

    def assert_box(self, box, text, icon="none", caption=" "):
        self.assertEqual((box["kind"], box["caption"], box["text"], box["icon"]),
                         ("message", caption, text, icon))

    def close_editor(self, editor, driver):
        """EXIT, the closing message, exit code 0."""
        self.assertTrue(driver.click(EXIT)["modal"])
        self.assert_box(driver.box(), "You must start a new game for any changes to take effect",
                        icon="information")
        driver.press()
        self.assertEqual(editor.wait(), 0)

    def wait_for(self, condition, timeout=10.0):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                self.fail("condition not met in time")
            time.sleep(0.05)


class RunningEditorTestCase(EditorTestCase):
    """A ready editor per test (both paths remembered, block 1 shown), closed by EXIT after it
    when it still runs."""

    def setUp(self):
        super().setUp()
        self.editor, self.driver = self.start_ready()

    def tearDown(self):
        try:
            if self.editor.running():
                self.close_editor(self.editor, self.driver)
        finally:
            super().tearDown()
