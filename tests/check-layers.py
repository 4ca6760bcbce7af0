#!/usr/bin/env python3
"""The folders are layers, each built on the ones below it: no file may include a header of a
higher layer. A finding names the file, the line and the two layers.

    check-layers.py SOURCE_FOLDER"""
import pathlib
import re
import sys

# From the bottom up; folders on one line are one layer.
LAYERS = [
    ["settings", "host", "resources"],
    ["ui/framework"],
    ["ui/ending"],
    ["plugin"],
]
# The design makes the host's main window and status bar window wrappers: the one place where
# host/ builds on the window framework.
ALLOWED = {("host/BeckyStatusWindow.h", "ui/framework/Window.h")}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path):
    for level, folders in enumerate(LAYERS):
        for folder in folders:
            if path.startswith(folder + "/"):
                return level, folder
    return None


def main():
    root = pathlib.Path(sys.argv[1])
    findings, files = [], 0
    for folders in LAYERS:
        for folder in folders:
            for source in sorted((root / folder).glob("*")):
                if source.suffix not in (".h", ".cpp", ".in", ".rc"):
                    continue
                files += 1
                name = source.relative_to(root).as_posix()
                level, own = layer_of(name)
                for number, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
                    match = INCLUDE.match(line)
                    included = match and layer_of(match.group(1))
                    if not included or (name, match.group(1)) in ALLOWED:
                        continue
                    if included[0] > level:
                        findings.append(f"{name}:{number}: {own} includes {match.group(1)}, "
                                        f"of the higher layer {included[1]}")
    for finding in findings:
        print(finding)
    if findings:
        sys.exit(1)
    order = " < ".join(", ".join(folders) for folders in LAYERS)
    print(f"layers: {files} files, no include against the order {order}")


main()
