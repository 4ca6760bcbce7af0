#!/bin/sh
# One test program on one platform, as CTest starts it:
#
#   run-test.sh PLATFORM NAME PROGRAM [ARGS...]
#
# It runs on the platform's Wine (tools/on-platform.sh). Where this kernel cannot run i386
# programs (TOLVANIX_I686=emulated, as make test decided where it started), an i686-wine8 test
# reports what the emulated machine's Wine 8 did with it instead; that machine has no Wine 10.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
platform=$1
name=$2
shift 2
case $platform in
i686-*)
    mode=${TOLVANIX_I686:?is not set: make test decides it where it starts (tools/i386/probe.sh --decide test); by hand, TOLVANIX_I686=native or emulated}
    if [ "$mode" = emulated ]; then
        if [ "$platform" = i686-wine8 ]; then
            exec sh "$here/vm-result.sh" "$TOLVANIX_VM_JOB" "$name"
        fi
        echo "not run: this machine has no Wine 10; the i686 build ran under the Wine 8 of the"
        echo "emulated i386 machine"
        exit 77
    fi
    ;;
esac
exec "$here/../tools/on-platform.sh" "$platform" wine "$@"
