#!/bin/sh
# Installs the Debian 12 packages the build, the tests and the demo need, and the Japanese
# locale: without it this machine's Wine cannot make Japanese file names.
# Quick when everything is there; says plainly what is missing when it cannot install.
set -eu

# usage: install-deps.sh [vm]   (vm: what the emulated 32-bit machine needs besides)
packages="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 \
wine wine64 xvfb xauth googletest cppcheck imagemagick python3 fonts-liberation fonts-horai-umefont \
debootstrap locales"
if [ "${1:-}" = vm ]; then
    packages="qemu-system-x86 qemu-user-static debootstrap cpio e2fsprogs xz-utils binutils"
fi

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
        sudo -n "$@"
    else
        echo "install-deps: run as root (or with sudo): $*" >&2
        return 1
    fi
}

missing=""
for p in $packages; do
    # A package dpkg has never heard of is one that is missing; its complaint says no more.
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "install-deps: installing$missing"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get update -qq
    # The installer's progress lines; its errors still show.
    # shellcheck disable=SC2086
    as_root apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
if [ "${1:-}" != vm ] && ! locale -a | grep -qx ja_JP.utf8; then
    echo "install-deps: making the ja_JP.UTF-8 locale"
    as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
