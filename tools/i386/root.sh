#!/bin/sh
# The i386 Debian roots in which the shipped 32-bit DLL's tests run under 32-bit Wine, natively:
# one root for each i686 platform, with its release's Wine and a ready Wine prefix. They are
# cached outside the work tree, keyed by this recipe, and made again when it changes. The
# emulated machine's disk is made from the same recipe (userland), its prefix at its first boot.
#
#   root.sh build PLATFORM        makes the platform's root unless the cache has it
#   root.sh prefix PLATFORM       the root's ready Wine prefix, as a path on this machine
#   root.sh run PLATFORM CMD...   runs CMD inside the root, where this work tree, /tmp (the
#                                 display, Wine's sockets) and the kernel's file systems are
#                                 seen at the same paths as here
#   root.sh userland PLATFORM DIR makes the platform's root without the prefix in DIR; where
#                                 this kernel cannot run i386 programs, an emulator registered
#                                 with binfmt_misc must run them (tools/i386/image.sh)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
work_tree=$(cd "$here/../.." && pwd)
mirror="${TOLVANIX_DEBIAN_MIRROR:-http://deb.debian.org/debian}"

log() { echo "root: $(date +%T) $*" >&2; }

usage="usage: root.sh build|prefix|run|userland PLATFORM [CMD...|DIR]"
[ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
command=$1
platform=$2
shift 2
case $platform in
i686-wine8) release=bookworm ;;
i686-wine10) release=trixie ;;
*) echo "root.sh: no i386 root for the platform $platform" >&2; exit 2 ;;
esac
key=$(cat "$here/root.sh" "$here/../wine-prefix.sh" | sha256sum | cut -c1-16)
roots="${TOLVANIX_CACHE:-/var/cache/tolvanix}/roots"
dir="$roots/$platform-$key"
rootfs="$dir/rootfs"

# enter ROOTFS CMD...: CMD in the root, in a mount namespace of its own, so that the mounts go
# when the last process in it ends, however it ends. The folder stays the caller's.
enter() {
    into=$1
    shift
    unshare --mount --propagation private sh -c '
        rootfs=$1 work_tree=$2 folder=$3
        shift 3
        mount -t proc proc "$rootfs/proc"
        mount --rbind /sys "$rootfs/sys"
        mount --rbind /dev "$rootfs/dev"
        mount --bind /tmp "$rootfs/tmp"
        mkdir -p "$rootfs$work_tree"
        mount --bind "$work_tree" "$rootfs$work_tree"
        exec chroot "$rootfs" sh -c "[ -d \"\$0\" ] && cd \"\$0\"; exec \"\$@\"" "$folder" "$@"
    ' enter "$into" "$work_tree" "$PWD" "$@"
}

# What the tests need besides the base: Wine, the fonts the dialogs are drawn with, the virtual
# display, the locales (code page 932 comes from ja_JP.UTF-8), and ps for a hung test's report.
packages=procps,wine,wine32,xvfb,xauth,fonts-liberation,fonts-horai-umefont,locales

# The base with those packages, every one fetched by this machine's debootstrap, then unpacked
# and set up inside the root, natively or under the registered emulator: no package manager
# runs there. Services stay stopped, and nothing is synced file by file: a failed build starts
# over.
make_userland() {
    into=$1
    began=$(date +%s)
    rm -rf --one-file-system "$into"
    mkdir -p "$into"
    debootstrap --foreign --arch=i386 --variant=minbase --include="$packages" "$release" \
        "$into" "$mirror"
    log "$platform: packages fetched after $(($(date +%s) - began)) s"
    printf '#!/bin/sh\nexit 101\n' >"$into/usr/sbin/policy-rc.d"
    chmod +x "$into/usr/sbin/policy-rc.d"
    echo force-unsafe-io >"$into/etc/dpkg/dpkg.cfg.d/unsafe-io"
    enter "$into" /debootstrap/debootstrap --second-stage
    enter "$into" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
    rm -f "$into"/var/cache/apt/archives/*.deb
    log "$platform: Wine $(enter "$into" dpkg-query -W -f '${Version}' wine) installed after $(($(date +%s) - began)) s"
}

# The userland, and the project's Wine prefix, made with its Wine.
make_root() {
    log "making the $release root for $platform in $dir"
    began=$(date +%s)
    make_userland "$rootfs" >"$dir.log" 2>&1
    mv "$dir.log" "$dir/build.log"
    enter "$rootfs" env HOME=/root WINEPREFIX=/root/prefix WINEDEBUG=-all \
        sh "$work_tree/tools/wine-prefix.sh" >>"$dir/build.log" 2>&1
    log "$platform: root ready after $(($(date +%s) - began)) s"
}

build() {
    [ -f "$dir/ready" ] && return 0
    mkdir -p "$roots"
    # One build of a root at a time; whoever waited finds it ready.
    exec 9>"$dir.lock"
    flock 9
    [ -f "$dir/ready" ] && return 0
    trap 'log "making the $platform root failed; the end of its log:"
          tail -20 "$dir.log" "$dir/build.log" 2>/dev/null >&2' EXIT
    make_root
    trap - EXIT
    touch "$dir/ready"
    # Roots of an earlier recipe.
    for old in "$roots/$platform"-*; do
        case $old in "$dir" | "$dir.lock") ;; *) rm -rf --one-file-system "$old" ;; esac
    done
}

case $command in
build) build ;;
prefix) echo "$rootfs/root/prefix" ;;
run)
    [ -f "$dir/ready" ] || { echo "root.sh: the $platform root is not made yet (root.sh build $platform)" >&2; exit 1; }
    enter "$rootfs" "$@"
    ;;
userland) make_userland "$1" ;;
*)
    echo "$usage" >&2
    exit 2
    ;;
esac
