#!/usr/bin/env python3
"""The shipped 32-bit DLL as the host sees it: machine, export table, imports, resources."""
import struct
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "msvcrt.dll",
               "advapi32.dll"}
ENGLISH, JAPANESE = 0x409, 0x411
RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON = 3, 5, 6, 14


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            fail("not a PE file")
        self.machine, sections = struct.unpack_from("<HH", data, pe + 4)
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
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


def resources(image):
    """(type, id, language) of every resource."""
    root = image.directory[2][0]

    def entries(table):
        named, numbered = image.u16(root + table + 12), image.u16(root + table + 14)
        for i in range(named + numbered):
            key, target = image.u32(root + table + 16 + 8 * i), image.u32(root + table + 20 + 8 * i)
            yield key, target & 0x7FFFFFFF

    found = set()
    for kind, types in entries(0):
        for ident, languages in entries(types):
            for language, _ in entries(languages):
                found.add((kind, ident, language))
    return found


def main():
    image = Image(open(sys.argv[1], "rb").read())
    if image.machine != 0x14C or image.magic != 0x10B:
        fail("not PE32 for i386")

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

    present = resources(image)
    for dialog in (101, 105):
        for language in (ENGLISH, JAPANESE):
            if (RT_DIALOG, dialog, language) not in present:
                fail(f"dialog {dialog} in language {language:#x} is missing")
    string_block = 57600 // 16 + 1
    for language in (ENGLISH, JAPANESE):
        if (RT_STRING, string_block, language) not in present:
            fail(f"string 57600 in language {language:#x} is missing")
    groups = {ident for kind, ident, _ in present if kind == RT_GROUP_ICON}
    if groups != {104, 105, 107, 108, 109, 110}:
        fail(f"icon groups are {sorted(groups)}")

    print(f"shipped DLL: PE32 i386, {len(image.data)} bytes; exports {wanted} (base 2); "
          f"imports {', '.join(dlls)}; dialogs, string and icons present")


if __name__ == "__main__":
    main()
