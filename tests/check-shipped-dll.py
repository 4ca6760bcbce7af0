#!/usr/bin/env python3
"""The shipped 32-bit DLL as the host and Explorer see it: machine, export table, imports,
resources, the version resource against the project's own texts, and no link time stamp; and
what it brings into the host's process: 64 KiB at most, no C++ runtime, no thread library.

    check-shipped-dll.py DLL VERSION NAME VENDOR DESCRIPTION"""
import struct
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "msvcrt.dll",
               "advapi32.dll"}
MAX_BYTES = 65536
# Pieces of a C++ runtime or a thread library, as their own texts name them.
RUNTIME_MARKS = [b"pthread", b"__cxa_", b"_Unwind_", b"terminate called", b"std::"]
# The C runtime's own: thread-local initialisers and destructors. A thread library adds one.
CRT_TLS_CALLBACKS = 2
ENGLISH, JAPANESE = 0x409, 0x411
RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION = 3, 5, 6, 14, 16
UNICODE = 1200


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            fail("not a PE file")
        self.machine, sections, self.time_stamp = struct.unpack_from("<HHI", data, pe + 4)
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.image_base = struct.unpack_from("<I", data, optional + 28)[0]
        directories = optional + 96
        self.directory = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            size, address, raw_size, raw = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((address, max(size, raw_size), raw))

    def offset(self, rva):
        for address, size, raw in self.sections:
            if address <= rva < address + size:
                return rva - address + raw
        fail(f"address {rva:#x} is in no section")

    def u16(self, rva):
        return struct.unpack_from("<H", self.data, self.offset(rva))[0]

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva))[0]

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")


def fail(message):
    print(f"FAIL: {message}")
    sys.exit(1)


def exports(image):
    rva = image.directory[0][0]
    name = image.text(image.u32(rva + 12))
    base, functions, names = image.u32(rva + 16), image.u32(rva + 20), image.u32(rva + 24)
    name_table, ordinal_table = image.u32(rva + 32), image.u32(rva + 36)
    by_name = {}
    for i in range(names):
        by_name[image.text(image.u32(name_table + 4 * i))] = base + image.u16(ordinal_table + 2 * i)
    return name, base, functions, by_name


def imports(image):
    rva, found = image.directory[1][0], []
    while image.u32(rva + 12):
        found.append(image.text(image.u32(rva + 12)).lower())
        rva += 20
    return found


def tls_callbacks(image):
    rva = image.directory[9][0]
    if not rva:
        return 0
    at, count = image.u32(rva + 12) - image.image_base, 0
    while image.u32(at + 4 * count):
        count += 1
    return count


def check_runtime_free(image):
    if len(image.data) > MAX_BYTES:
        fail(f"{len(image.data)} bytes, more than {MAX_BYTES}")
    found = [mark.decode() for mark in RUNTIME_MARKS if mark in image.data]
    if found:
        fail(f"it carries a C++ runtime or a thread library: {found}")
    callbacks = tls_callbacks(image)
    if callbacks > CRT_TLS_CALLBACKS:
        fail(f"{callbacks} callbacks run on every thread's start and end, not the C runtime's "
             f"{CRT_TLS_CALLBACKS}")


def resources(image):
    """{(type, id, language): data} of every resource."""
    root = image.directory[2][0]

    def entries(table):
        named, numbered = image.u16(root + table + 12), image.u16(root + table + 14)
        for i in range(named + numbered):
            key, target = image.u32(root + table + 16 + 8 * i), image.u32(root + table + 20 + 8 * i)
            yield key, target & 0x7FFFFFFF

    found = {}
    for kind, types in entries(0):
        for ident, languages in entries(types):
            for language, leaf in entries(languages):
                rva, size = image.u32(root + leaf), image.u32(root + leaf + 4)
                at = image.offset(rva)
                found[(kind, ident, language)] = image.data[at:at + size]
    return found


def version_tree(data, at=0):
    """One node of a version resource: (key, value, children), the value as text or bytes."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end, key_at = at + length, at + 6
    key_end = key_at
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_at:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    if kind == 1:
        value = data[value_at:value_at + 2 * value_length].decode("utf-16-le").rstrip("\0")
        value_end = value_at + 2 * value_length
    else:
        value = data[value_at:value_at + value_length]
        value_end = value_at + value_length
    children, child = [], (value_end + 3) & ~3
    while child < end:
        node = version_tree(data, child)
        children.append(node)
        child = (child + struct.unpack_from("<H", data, child)[0] + 3) & ~3
    return key, value, children


def check_version(present, expected):
    found = [data for (kind, _, _), data in present.items() if kind == RT_VERSION]
    if len(found) != 1:
        fail(f"{len(found)} version resources")
    key, fixed, children = version_tree(found[0])
    numbers = [int(part) for part in expected["version"].split(".")]
    wanted = ((numbers[0] << 16) | numbers[1], (numbers[2] << 16) | numbers[3])
    file_version = struct.unpack_from("<II", fixed, 8)
    product_version = struct.unpack_from("<II", fixed, 16)
    if key != "VS_VERSION_INFO" or file_version != wanted or product_version != wanted:
        fail(f"the fixed version is {file_version}/{product_version}, not {expected['version']}")
    nodes = {node[0]: node for node in children}
    translations = struct.unpack_from("<4H", nodes["VarFileInfo"][2][0][1])
    if translations != (ENGLISH, UNICODE, JAPANESE, UNICODE):
        fail(f"translations are {translations}")
    texts = {"CompanyName": expected["vendor"], "FileDescription": expected["description"],
             "FileVersion": expected["text"], "ProductVersion": expected["text"],
             "ProductName": expected["name"], "InternalName": expected["name"],
             "OriginalFilename": expected["name"] + ".dll"}
    tables = {table: {name: value for name, value, _ in strings}
              for table, _, strings in nodes["StringFileInfo"][2]}
    for table in (f"{ENGLISH:04X}{UNICODE:04X}", f"{JAPANESE:04X}{UNICODE:04X}"):
        if table.lower() not in {name.lower() for name in tables}:
            fail(f"no string table {table}")
        strings = next(value for name, value in tables.items() if name.lower() == table.lower())
        for name, text in texts.items():
            if strings.get(name) != text:
                fail(f"{table} {name} is {strings.get(name)!r}, not {text!r}")
        if "MIT License" not in strings.get("LegalCopyright", ""):
            fail(f"{table} LegalCopyright does not name the license")


def main():
    image = Image(open(sys.argv[1], "rb").read())
    expected = dict(zip(("version", "name", "vendor", "description"), sys.argv[2:6]))
    expected["text"] = ".".join(expected["version"].split(".")[:2])
    if image.machine != 0x14C or image.magic != 0x10B:
        fail("not PE32 for i386")
    if image.time_stamp != 0:
        fail(f"the link time stamp is {image.time_stamp}: a rebuild would differ")

    name, base, count, by_name = exports(image)
    if name != "Tolvanix.dll":
        fail(f"export table names {name}")
    if base != 2:
        fail(f"ordinal base is {base}")
    wanted = {"BKC_OnExit": 2, "BKC_OnPlugInSetup": 13, "BKC_OnPlugInInfo": 14}
    if by_name != wanted:
        fail(f"exports are {by_name}")

    dlls = imports(image)
    foreign = [dll for dll in dlls if dll not in SYSTEM_DLLS]
    if foreign:
        fail(f"imports from {foreign}, which are not system DLLs")

    check_runtime_free(image)

    present = resources(image)
    for dialog in (101, 105):
        for language in (ENGLISH, JAPANESE):
            if (RT_DIALOG, dialog, language) not in present:
                fail(f"dialog {dialog} in language {language:#x} is missing")
    string_block = 57600 // 16 + 1
    for language in (ENGLISH, JAPANESE):
        if (RT_STRING, string_block, language) not in present:
            fail(f"string 57600 in language {language:#x} is missing")
    check_version(present, expected)
    groups = {ident for kind, ident, _ in present if kind == RT_GROUP_ICON}
    if groups != {104, 105, 107, 108, 109, 110}:
        fail(f"icon groups are {sorted(groups)}")

    print(f"shipped DLL: PE32 i386, {len(image.data)} bytes; exports {wanted} (base 2); "
          f"imports {', '.join(dlls)}; dialogs, string and icons present; version "
          f"{expected['version']} in English and Japanese; no link time stamp; no C++ runtime "
          f"or thread library")


if __name__ == "__main__":
    main()
