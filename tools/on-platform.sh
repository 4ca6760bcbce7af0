#!/bin/sh
# Runs a command in one platform's Wine, against this work tree's own prefix for it
# (build/wine/PLATFORM, which tools/with-wine.sh makes and keeps served):
#
#   x86_64        the host's 64-bit Wine
#   i686-wine8    the 32-bit Wine 8 of an i386 Debian 12 root (tools/i386/root.sh)
#   i686-wine10   the 32-bit Wine 10 of an i386 Debian 13 root
#
#   on-platform.sh PLATFORM COMMAND...
set -eu

work_tree=$(cd "$(dirname "$0")/.." && pwd)
platform=$1
shift
export WINEPREFIX="$work_tree/build/wine/$platform"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Without address randomisation. On these kernels a 64-bit process's heap starts anywhere in
# the gigabyte after its executable, and Wine's loader (Debian builds it without the preloader
# that would reserve the space first) lies just below 0x7ffe0000, where Wine must map the shared
# user data: about one start in 6,000 found its heap there and failed with "failed to map the
# shared user data: c0000018". With the heap right after the loader, as it was, none do.
norandom="setarch $(uname -m) -R"
case $platform in
x86_64) exec $norandom "$@" ;;
i686-*) exec $norandom "$work_tree/tools/i386/root.sh" run "$platform" "$@" ;;
*)
    echo "on-platform.sh: no platform $platform (x86_64, i686-wine8, i686-wine10)" >&2
    exit 2
    ;;
esac
