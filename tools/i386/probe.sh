#!/bin/sh
# Whether this machine runs 32-bit x86 programs itself: a tiny static i386 program must run and
# exit with 42, and no binfmt_misc entry may hand i386 programs to an emulator (which would run
# it too, slowly; the emulated machine's image build registers one while it runs).
#
#   probe.sh              says which way the i686 tests run, and why
#   probe.sh --mode       "native" or "emulated" alone
#   probe.sh --needed-by WHAT
#                         fails, saying why, where WHAT cannot run the i686 build natively
set -eu

program=$(mktemp)
trap 'rm -f "$program"' EXIT
python3 - "$program" <<'PY'
import struct
import sys

# _start: exit(42) through the i386 system call gate.
code = bytes([0xB8, 1, 0, 0, 0, 0xBB, 42, 0, 0, 0, 0xCD, 0x80])
base, header, segment = 0x08048000, 52, 32
identity = b"\x7fELF" + bytes([1, 1, 1]) + bytes(9)  # 32-bit, little-endian, version 1
elf = identity + struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + header + segment, header, 0, 0,
                             header, segment, 1, 0, 0, 0)  # an executable for the 80386
size = header + segment + len(code)
load = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)  # read and execute
with open(sys.argv[1], "wb") as out:
    out.write(elf + load + code)
PY
chmod +x "$program"

why=""
status=0
answer=$("$program" 2>&1) || status=$?
if [ "$status" -ne 42 ]; then
    why="a static i386 program does not run here (exit code $status${answer:+: $answer})"
fi
for entry in /proc/sys/fs/binfmt_misc/*; do
    case ${entry##*/} in register | status | "*") continue ;; esac
    grep -qx enabled "$entry" || continue
    # The ELF header's class (32-bit) and machine (i386) bytes.
    case $(sed -n 's/^magic //p' "$entry") in
    7f454c4601??????????????????????????0300*)
        why="binfmt_misc entry ${entry##*/} sends i386 programs to $(sed -n 's/^interpreter //p' "$entry")"
        ;;
    esac
done

if [ "${1:-}" = --mode ]; then
    if [ -z "$why" ]; then echo native; else echo emulated; fi
elif [ "${1:-}" = --needed-by ]; then
    if [ -n "$why" ]; then
        echo "$2 runs the shipped DLL under an i386 root's Wine 8, but $why" >&2
        exit 1
    fi
elif [ -z "$why" ]; then
    echo "i686 tests: native, in the i386 roots (this kernel runs i386 programs itself)"
else
    echo "i686 tests: in the emulated i386 machine, since $why"
fi
