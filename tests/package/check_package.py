"""Checks a release zip: the four files in one folder named after the zip, the user guide and the
licence as CR LF text, and the version resources of both programs against the CMake version.

    python3 check_package.py ZIP VERSION
"""

import os
import re
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_version import read_version  # noqa: E402

MACHINE = {"win64": "x86_64", "win32": "i386"}
PROGRAMS = ("TovickPlashgoon.exe", "tovick-cars.exe")
TEXTS = ("USER-GUIDE.txt", "LICENSE.txt")


def crlf_text(data, what, problems):
    text = data.decode("ascii")
    if re.search(r"(?<!\r)\n", text) or "\r" in text.replace("\r\n", "") or not text.endswith("\r\n"):
        problems.append(what + " is not CR LF text")
    return text.replace("\r\n", "\n")


def check(zip_path, version):
    problems = []
    match = re.fullmatch(r"TovickPlashgoon-(.+)-(win64|win32)\.zip", os.path.basename(zip_path))
    if not match:
        return ["unexpected zip name " + zip_path]
    if match.group(1) != version:
        problems.append("zip version %s, CMake version %s" % (match.group(1), version))
    arch = match.group(2)
    folder = "TovickPlashgoon-%s-%s/" % (version, arch)
    with zipfile.ZipFile(zip_path) as archive:
        files = sorted(n for n in archive.namelist() if not n.endswith("/"))
        want = sorted(folder + n for n in PROGRAMS + TEXTS)
        if files != want:
            return problems + ["files %s, expected %s" % (files, want)]
        guide = crlf_text(archive.read(folder + "USER-GUIDE.txt"), "the user guide", problems)
        licence = crlf_text(archive.read(folder + "LICENSE.txt"), "the licence", problems)
        for needle in ("USER GUIDE", version, "MAIN.SCM", "DEFAULT.IDE", "BACK UP", "PLUG-IN",
                       "tovick-cars map", "tovick-cars diff", "Exit codes",
                       "CARRYING YOUR CHANGES INTO YOUR SAVES", "tovick-cars save sync"):
            if needle not in guide:
                problems.append("the user guide does not mention " + needle)
        if not licence.startswith("MIT License"):
            problems.append("the licence is not the MIT licence")
        with tempfile.TemporaryDirectory() as tmp:
            for program in PROGRAMS:
                path = archive.extract(folder + program, tmp)
                info = read_version(path)
                strings = info["strings"]
                expect = {
                    "machine": (info["machine"], MACHINE[arch]),
                    "fixed file version": (info["fileVersion"], version + ".0"),
                    "fixed product version": (info["productVersion"], version + ".0"),
                    "FileVersion": (strings.get("FileVersion"), version),
                    "ProductVersion": (strings.get("ProductVersion"), version),
                    "ProductName": (strings.get("ProductName"), "Tovick Plashgoon"),
                    "OriginalFilename": (strings.get("OriginalFilename"), program),
                }
                for what, (got, wanted) in expect.items():
                    if got != wanted:
                        problems.append("%s %s: %r, expected %r" % (program, what, got, wanted))
                if not strings.get("FileDescription"):
                    problems.append(program + " has no file description")
                copyright_line = strings.get("LegalCopyright", "")
                if "The Tovick Plashgoon developers" not in copyright_line or \
                        copyright_line not in licence:
                    problems.append("%s copyright %r is not the licence's" % (program, copyright_line))
    return problems


if __name__ == "__main__":
    found = check(sys.argv[1], sys.argv[2])
    for problem in found:
        print("FAIL: %s: %s" % (os.path.basename(sys.argv[1]), problem))
    if not found:
        print("%s: all checks passed" % os.path.basename(sys.argv[1]))
    sys.exit(1 if found else 0)
