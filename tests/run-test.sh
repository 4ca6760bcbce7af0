#!/bin/sh
# One test program on one platform, as CTest starts it:
#
#   run-test.sh PLATFORM NAME PROGRAM [ARGS...]
#
# It runs on the platform's Wine (tools/on-platform.sh). Where this kernel cannot run i386
# programs (TOLVANIX_I686=emulated, as tools/i386/probe.sh found), an i686 test that loads the
# shipped DLL reports what the emulated machine's Wine 8 did with it instead; that machine has
# no Wine 10, and runs only those tests.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
platform=$1
name=$2
shift 2
case $platform in
i686-*)
    mode=${TOLVANIX_I686:-}
    [ -n "$mode" ] || mode=$(sh "$here/../tools/i386/probe.sh" --mode)
    if [ "$mode" = emulated ]; then
        listed='$1 == name { found = 1 } END { exit !found }'
        if [ "$platform" = i686-wine8 ] &&
            awk -v name="$name" "$listed" "$TOLVANIX_VM_JOB/tests.txt"; then
            exec sh "$here/vm-result.sh" "$TOLVANIX_VM_JOB" "$name"
        fi
        echo "not run: this kernel cannot run i386 programs, and the emulated machine runs only"
        echo "the tests that load the shipped DLL, under Wine 8"
        exit 77
    fi
    ;;
esac
exec "$here/../tools/on-platform.sh" "$platform" wine "$@"
