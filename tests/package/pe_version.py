"""Reads the version resource of a Windows .exe (PE32 or PE32+) without Windows: the fixed file
and product versions, the StringFileInfo values and the machine type.

    python3 pe_version.py FILE.exe     # prints them as JSON
"""

import json
import struct
import sys

RT_VERSION = 16
MACHINES = {0x14C: "i386", 0x8664: "x86_64"}


def _align4(n):
    return (n + 3) & ~3


def _sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, count = struct.unpack_from("<HH", data, pe + 4)
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size
    sections = []
    for i in range(count):
        size, rva, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        sections.append((rva, max(size, raw_size), raw))
    return machine, resource_rva, sections


def _offset(sections, rva):
    for start, size, raw in sections:
        if start <= rva < start + size:
            return raw + rva - start
    raise ValueError("address %#x lies in no section" % rva)


def _first_entry(data, base, directory, wanted=None):
    named, ids = struct.unpack_from("<HH", data, directory + 12)
    for i in range(named + ids):
        name, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
        if wanted is None or name == wanted:
            return base + (target & 0x7FFFFFFF), bool(target & 0x80000000)
    return None, False


def _block(data, at):
    """One node of the version tree: (key, value bytes, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    pos = at + 6
    key_end = pos
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[pos:key_end].decode("utf-16-le")
    pos = _align4(key_end + 2)
    value_bytes = value_length * 2 if kind == 1 else value_length
    value = data[pos:pos + value_bytes]
    pos = _align4(pos + value_bytes)
    children = []
    while pos < end:
        child = _block(data, pos)
        children.append(child)
        pos = _align4(child[3])
    return key, value, children, end


def read_version(path):
    data = open(path, "rb").read()
    machine, resource_rva, sections = _sections(data)
    base = _offset(sections, resource_rva)
    node, is_directory = _first_entry(data, base, base, RT_VERSION)
    if node is None:
        raise ValueError("no version resource")
    while is_directory:  # the name, then the language level
        node, is_directory = _first_entry(data, base, node)
    data_rva, size = struct.unpack_from("<II", data, node)
    start = _offset(sections, data_rva)
    key, fixed, children, _ = _block(data[start:start + size], 0)
    if key != "VS_VERSION_INFO":
        raise ValueError("unexpected version key " + key)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != 0xFEEF04BD:
        raise ValueError("bad fixed file info")

    def dotted(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    strings = {}
    for child_key, _, tables, _ in children:
        if child_key == "StringFileInfo":
            for _, _, entries, _ in tables:
                for name, value, _, _ in entries:
                    strings[name] = value.decode("utf-16-le").rstrip("\0")
    return {
        "machine": MACHINES.get(machine, hex(machine)),
        "fileVersion": dotted(file_ms, file_ls),
        "productVersion": dotted(product_ms, product_ls),
        "strings": strings,
    }


if __name__ == "__main__":
    print(json.dumps(read_version(sys.argv[1]), indent=2))
