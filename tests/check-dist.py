#!/usr/bin/env python3
"""The release archive as a user gets it: its members, their sums, the readmes' form, and the
DLL in it being the one the tests ran.

    check-dist.py ZIP VERSION TESTED_DLL [README...]

Each README given must state the SHA-256 sums of this archive and its DLL."""
import hashlib
import re
import sys
import zipfile

MEMBERS = ["Tolvanix.dll", "readme-en.txt", "readme-ja.txt", "LICENSE.txt", "SHA256SUMS"]


def fail(message):
    print(f"FAIL: {message}")
    sys.exit(1)


def check_windows_text(name, data, version):
    if b"\n" in data.replace(b"\r\n", b""):
        fail(f"{name} has a line that does not end with CR LF")
    if version not in data.decode("utf-8-sig"):
        fail(f"{name} does not name version {version}")


def main():
    archive_path, version, tested_dll = sys.argv[1:4]
    with zipfile.ZipFile(archive_path) as archive:
        names = archive.namelist()
        if names != MEMBERS:
            fail(f"members are {names}, not {MEMBERS}")
        data = {name: archive.read(name) for name in names}

    listed = {}
    for line in data["SHA256SUMS"].decode("ascii").splitlines():
        digest, name = line.split("  ", 1)
        listed[name] = digest
    actual = {name: hashlib.sha256(data[name]).hexdigest() for name in MEMBERS[:-1]}
    if listed != actual:
        fail(f"SHA256SUMS lists {listed}, the members are {actual}")

    with open(tested_dll, "rb") as dll:
        if dll.read() != data["Tolvanix.dll"]:
            fail(f"the archive's DLL is not {tested_dll}, the one the tests ran")

    data["readme-en.txt"].decode("ascii")
    if not data["readme-ja.txt"].startswith(b"\xef\xbb\xbf"):
        fail("readme-ja.txt has no UTF-8 byte-order mark")
    for name in ("readme-en.txt", "readme-ja.txt", "LICENSE.txt"):
        check_windows_text(name, data[name], "MIT" if name == "LICENSE.txt" else version)

    with open(archive_path, "rb") as archive_file:
        archive_sum = hashlib.sha256(archive_file.read()).hexdigest()
    for readme_path in sys.argv[4:]:
        with open(readme_path, encoding="utf-8") as readme:
            stated = set(re.findall(r"\b[0-9a-f]{64}\b", readme.read()))
        for what, digest in (("archive", archive_sum), ("DLL", actual["Tolvanix.dll"])):
            if digest not in stated:
                fail(f"{readme_path} does not state the {what}'s SHA-256 {digest}")

    print(f"release archive {archive_path}: {', '.join(MEMBERS)}; sums agree; the DLL is the "
          f"tested one; sha256 {archive_sum}")


if __name__ == "__main__":
    main()
