#!/usr/bin/env python3
"""The archive a user downloads: the DLL, the two readmes, the license and their sums.

    make-dist.py --version 1.6 --date 2026-12-09 --dll Tolvanix.dll --source ROOT --out ZIP

Members in a fixed order with the release date as their time and no owner or permission
bits, so that the same sources give the same bytes wherever they are built.
"""
import argparse
import hashlib
import zipfile


def windows_text(text):
    """Notepad before Windows 10 shows a text with bare line feeds as one line."""
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


def readme(source, name, version, date):
    with open(f"{source}/release/{name}", encoding="utf-8") as template:
        return windows_text(template.read().replace("@VERSION@", version).replace("@DATE@", date))


def members(args):
    with open(args.dll, "rb") as dll:
        found = [("Tolvanix.dll", dll.read())]
    found.append(("readme-en.txt",
                  readme(args.source, "readme-en.txt", args.version, args.date).encode("ascii")))
    # Japanese Windows users open a readme in Notepad. With a byte-order mark every Notepad
    # since Windows XP reads UTF-8, whatever the system's code page; without one, Notepad
    # before Windows 10 1903 takes the text for Shift_JIS and shows garbage. UTF-8 also keeps
    # the text right on a Windows that is not Japanese, where Shift_JIS would not be.
    japanese = readme(args.source, "readme-ja.txt", args.version, args.date)
    found.append(("readme-ja.txt", b"\xef\xbb\xbf" + japanese.encode("utf-8")))
    with open(f"{args.source}/LICENSE", encoding="ascii") as license_text:
        found.append(("LICENSE.txt", windows_text(license_text.read()).encode("ascii")))
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in found)
    found.append(("SHA256SUMS", sums.encode("ascii")))
    return found


def main():
    parser = argparse.ArgumentParser()
    for option in ("--version", "--date", "--dll", "--source", "--out"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    year, month, day = (int(part) for part in args.date.split("-"))
    with zipfile.ZipFile(args.out, "w") as archive:
        for name, data in members(args):
            info = zipfile.ZipInfo(name, (year, month, day, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0
            info.external_attr = 0
            archive.writestr(info, data, compresslevel=9)
    with open(args.out, "rb") as written:
        print(f"{args.out}\nsha256: {hashlib.sha256(written.read()).hexdigest()}")


if __name__ == "__main__":
    main()
