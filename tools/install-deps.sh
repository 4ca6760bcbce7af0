#!/bin/sh
# Installs the Debian 12 packages the build, the tests and the demo need.
# Quick when everything is there; says plainly what is missing when it cannot install.
set -eu

# usage: install-deps.sh [vm]   (vm: what the emulated 32-bit machine needs besides)
packages="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 \
wine wine64 xvfb xauth googletest cppcheck imagemagick python3 fonts-liberation fonts-horai-umefont \
debootstrap"
if [ "${1:-}" = vm ]; then
    packages="qemu-system-x86 qemu-user-static debootstrap cpio e2fsprogs xz-utils binutils"
fi

missing=""
for p in $packages; do
    # A package dpkg has never heard of is one that is missing; its complaint says no more.
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    # Only whether sudo is there and asks for no password.
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
        SUDO="sudo -n"
    else
        echo "install-deps: missing packages:$missing" >&2
        echo "install-deps: run as root (or with sudo): apt-get install$missing" >&2
        exit 1
    fi
else
    SUDO=""
fi

echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# The installer's progress lines; its errors still show.
# shellcheck disable=SC2086
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
