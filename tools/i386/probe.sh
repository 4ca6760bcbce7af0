#!/bin/sh
# Whether this machine runs 32-bit x86 programs itself: a tiny static i386 program must run and
# exit with 42, and no binfmt_misc entry may hand i386 programs to an emulator (which would run
# it too, slowly; the emulated machine's image build registers one while it runs).
#
# TOLVANIX_I686 decides instead when it is set: "emulated" takes the fallback on any machine.
# A command decides once, where it starts, and exports TOLVANIX_I686, which every script it
# starts then reads.
#
#   probe.sh --decide WHAT
#       prints "native" or "emulated", and says once on the error output what WHAT (test, demo,
#       bench) runs, and why: the tests run the i686 build in the i386 roots or in the emulated
#       machine; the demo and the bench run it in the Wine 8 root natively, else the x86_64
#       build of the same sources under this machine's own Wine (the emulated machine has no
#       display to show, and would take minutes)
set -eu

# why: empty where the i386 roots can be used, else the reason.
probe() {
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
    status=0
    answer=$("$program" 2>&1) || status=$?
    if [ "$status" -ne 42 ]; then
        echo "a static i386 program does not run here (exit code $status${answer:+: $answer})"
        return
    fi
    for entry in /proc/sys/fs/binfmt_misc/*; do
        case ${entry##*/} in register | status | "*") continue ;; esac
        grep -qx enabled "$entry" || continue
        # The ELF header's class (32-bit) and machine (i386) bytes.
        case $(sed -n 's/^magic //p' "$entry") in
        7f454c4601??????????????????????????0300*)
            echo "binfmt_misc entry ${entry##*/} sends i386 programs to $(sed -n 's/^interpreter //p' "$entry")"
            return
            ;;
        esac
    done
}

case ${TOLVANIX_I686:-} in
"") why=$(probe) ;;
native) why="" ;;
emulated) why="TOLVANIX_I686=emulated asks for the fallback" ;;
*)
    echo "probe.sh: TOLVANIX_I686 is native or emulated, not \"$TOLVANIX_I686\"" >&2
    exit 2
    ;;
esac

if [ "${1:-}" != --decide ] || [ -z "${2:-}" ]; then
    echo "usage: probe.sh --decide test|demo|bench" >&2
    exit 2
fi
case $2:$why in
test:) echo "i686 build: native, in the i386 roots (this kernel runs i386 programs itself)" >&2 ;;
test:*) echo "i686 build: in the emulated i386 machine, since $why" >&2 ;;
*:) echo "$2: the shipped i686 DLL under the Wine 8 of an i386 root" >&2 ;;
*) echo "$2: the x86_64 build of the same sources, under this machine's 64-bit Wine, since $why" >&2 ;;
esac
if [ -z "$why" ]; then echo native; else echo emulated; fi
