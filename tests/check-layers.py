#!/usr/bin/env python3
"""The folders are layers, each built only on the ones below it: no file may include a header of
a higher layer. Every quoted include is placed: one with a folder by that folder, one without
by the including file's own folder, and a header that CMake makes from NAME.h.in by the folder
of its template. An include that names no file of the product is a finding too. A finding names
the file, the line and the two layers.

    check-layers.py SOURCE_FOLDER"""
import pathlib
import re
import sys

# From the bottom up, one folder a layer.
LAYERS = ["base", "resources", "host", "settings", "ui/framework", "ui/ending", "plugin"]
# The design makes the host's main window and status bar window wrappers: the one place where
# host/ builds on the window framework.
ALLOWED = {("host/BeckyStatusWindow.h", "ui/framework/Window.h")}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCES = (".h", ".cpp", ".in", ".rc")


def main():
    root = pathlib.Path(sys.argv[1])
    # Every header by the name a file includes it with, and the layer it belongs to.
    headers = {}
    for level, folder in enumerate(LAYERS):
        for source in (root / folder).glob("*"):
            name = source.relative_to(root).as_posix()
            if name.endswith(".h.in"):
                name = name[: -len(".in")]
            headers[name] = level
    findings, files = [], 0
    for level, folder in enumerate(LAYERS):
        for source in sorted((root / folder).glob("*")):
            if source.suffix not in SOURCES:
                continue
            files += 1
            name = source.relative_to(root).as_posix()
            for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                included = match.group(1)
                if "/" not in included:
                    included = f"{folder}/{included}"
                if included not in headers:
                    findings.append(f"{name}:{number}: includes {match.group(1)}, which is no "
                                    f"header of the product's layers")
                elif headers[included] > level and (name, included) not in ALLOWED:
                    findings.append(f"{name}:{number}: {folder} includes {included}, of the "
                                    f"higher layer {LAYERS[headers[included]]}")
    for finding in findings:
        print(finding)
    if findings:
        sys.exit(1)
    print(f"layers: {files} files, no include against the order {' < '.join(LAYERS)}")


main()
