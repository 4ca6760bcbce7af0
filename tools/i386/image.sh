# The recipe of the i386 machine image, sourced by vm.sh, which calls build_image. Every file
# that goes into the image is named in vm.sh's cache key; this one is too.
#
# Stages, each logged with its time: the kernel and busybox from Debian's i386 archive; a
# small first stage (initramfs) that mounts the disk; the root file system (debootstrap, then
# its second stage and Wine, in a chroot under user-mode emulation when this machine can run
# i386 programs that way, else at the first boot); the disk; the first boot, which makes the
# Wine prefix.

mirror="${TOLVANIX_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
# The modules that reach the disk, the shared folder and the network. ext4 checks its metadata
# with crc32c, which it names nowhere in its dependencies.
initramfs_modules="virtio_pci virtio_blk virtio_net crc32c_generic ext4 9pnet_virtio 9p"
# i386 programs run through qemu-user while our own binfmt entry is registered; it names the
# interpreter with the F flag, so a chroot needs no copy of it.
binfmt=/proc/sys/fs/binfmt_misc
binfmt_entry=tolvanix-i386
binfmt_mounted=""
# The ELF header of an i386 executable or shared object, as binfmt_misc matches it.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

build_image() {
    [ -f "$cache/ready" ] && return 0
    # The binfmt entry registered below would send the native runs' i386 programs through
    # qemu-user: the build waits until no native run holds the lock (tools/test.sh).
    mkdir -p "$caches"
    exec 8>"$caches/i386.lock"
    if ! flock -xn 8; then
        log "waiting for the native i686 test run to end"
        flock -x 8
    fi
    log "building the i386 machine image in $cache (about 10 minutes)"
    work="$cache/work"
    rootfs="$work/rootfs"
    # A build that was killed may have left the host's /dev mounted in its root.
    chroot_unmount
    rm -rf --one-file-system "$cache"
    mkdir -p "$work"
    "$here/../install-deps.sh" vm
    stage fetch_kernel_and_busybox
    stage make_initramfs
    stage make_root
    if user_mode_on; then
        stage install_in_chroot
        user_mode_off
    fi
    stage make_disk
    stage first_boot
    touch "$cache/ready"
    log "image ready"
}

stage() {
    began=$(date +%s)
    log "$1"
    "$1"
    log "$1 took $(($(date +%s) - began)) s"
}

# apt for the i386 archive's main part alone, with lists of its own: neither this machine's
# sources (a mirror in mid-sync, say) nor its architectures can fail the download.
apt_i386() {
    command=$1
    shift
    "$command" -qq -o Dir::Etc::SourceList="$work/apt/sources.list" \
        -o Dir::Etc::SourceParts=/nonexistent -o Dir::State::Lists="$work/apt/lists" \
        -o Dir::Cache="$work/apt/cache" -o APT::Architectures::=i386 \
        -o APT::Sandbox::User=root "$@"
}

fetch_kernel_and_busybox() {
    mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/debs"
    echo "deb $mirror bookworm main" >"$work/apt/sources.list"
    apt_i386 apt-get update
    kernel_package=$(apt_i386 apt-cache depends linux-image-686:i386 |
        sed -n 's/.*Depends: \(linux-image-[0-9].*-686\).*/\1/p' | head -1)
    [ -n "$kernel_package" ] || { log "no i386 kernel package found"; return 1; }
    (cd "$work/debs" && apt_i386 apt-get download "$kernel_package:i386" busybox-static:i386)
    dpkg-deb -x "$work"/debs/linux-image-*.deb "$work/kernel"
    dpkg-deb -x "$work"/debs/busybox-static_*.deb "$work/busybox"
    cp "$work"/kernel/boot/vmlinuz-* "$cache/vmlinuz"
}

# A tiny first stage: busybox, its init, and the modules it loads in order.
make_initramfs() {
    initramfs="$work/initramfs"
    mkdir -p "$initramfs/bin" "$initramfs/modules"
    cp "$work/busybox/bin/busybox" "$initramfs/bin/busybox"
    cp "$here/initramfs-init.sh" "$initramfs/init"
    chmod +x "$initramfs/init"
    : >"$initramfs/modules/order"
    for module in $initramfs_modules; do
        add_module "$module"
    done
    (cd "$initramfs" && find . | cpio -o -H newc --quiet | gzip -1) >"$cache/initrd.gz"
}

# Adds a module after the modules it depends on. A subshell: each level keeps its own names.
add_module() (
    # Module names write - and _ alike.
    file=$(find "$work"/kernel/lib/modules/* -name "$(echo "$1" | sed 's/[-_]/[-_]/g').ko" | head -1)
    [ -n "$file" ] || exit 0
    name=$(basename "$file" .ko)
    grep -qx "$name" "$initramfs/modules/order" && exit 0
    for dependency in $(strings "$file" | sed -n 's/^depends=//p' | tr ',' ' '); do
        add_module "$dependency"
    done
    cp "$file" "$initramfs/modules/"
    echo "$name" >>"$initramfs/modules/order"
)

# debootstrap's first stage: the smallest base, and what the jobs and a first boot that
# installs Wine still use. Half an hour at most: a slow mirror, not a hung one.
make_root() {
    # Its progress lines; its errors still show.
    timeout 1800 debootstrap --foreign --arch=i386 --variant=minbase \
        --include=iproute2,procps bookworm "$rootfs" "$mirror" >/dev/null
    rm -f "$rootfs/proc"
    mkdir -p "$rootfs/proc" "$rootfs/sys" "$rootfs/dev" "$rootfs/mnt/job"
    for script in firstboot.sh install-wine.sh jobinit.sh ../wine-prefix.sh; do
        cp "$here/$script" "$rootfs/${script##*/}"
        chmod +x "$rootfs/${script##*/}"
    done
    # The base has no init system; the boots power off with busybox.
    cp "$work/busybox/bin/busybox" "$rootfs/bin/busybox"
}

# Whether i386 programs can run here under qemu-user. Each step's complaint is answered by
# building the other way, at the first boot, and says nothing more.
user_mode_on() {
    [ -x /usr/bin/qemu-i386-static ] || return 1
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || return 1
        binfmt_mounted=yes
    fi
    [ -e "$binfmt/$binfmt_entry" ] ||
        printf '%s\n' ":$binfmt_entry:M::$i386_magic:$i386_mask:/usr/bin/qemu-i386-static:F" \
            >"$binfmt/register" 2>/dev/null || { user_mode_off; return 1; }
    chroot "$rootfs" /bin/true 2>/dev/null || { user_mode_off; return 1; }
}

user_mode_off() {
    if [ -e "$binfmt/$binfmt_entry" ]; then echo -1 >"$binfmt/$binfmt_entry"; fi
    if [ -n "$binfmt_mounted" ]; then umount "$binfmt"; fi
    binfmt_mounted=""
}

# The second stage, then Wine, with the kernel file systems mounted for the package scripts
# and services kept from starting. Each step half an hour at most, as for debootstrap.
install_in_chroot() {
    mount -t proc proc "$rootfs/proc"
    mount -t sysfs sysfs "$rootfs/sys"
    mount --bind /dev "$rootfs/dev"
    printf '#!/bin/sh\nexit 101\n' >"$rootfs/usr/sbin/policy-rc.d"
    chmod +x "$rootfs/usr/sbin/policy-rc.d"
    # The image is rebuilt from nothing if anything fails: no need to sync every file.
    mkdir -p "$rootfs/etc/dpkg/dpkg.cfg.d"
    echo force-unsafe-io >"$rootfs/etc/dpkg/dpkg.cfg.d/unsafe-io"
    timeout 1800 chroot "$rootfs" /debootstrap/debootstrap --second-stage >/dev/null  # as above
    cp /etc/resolv.conf "$rootfs/etc/resolv.conf"
    if ! timeout 1800 chroot "$rootfs" /install-wine.sh >"$cache/install-wine.log" 2>&1; then
        log "installing Wine failed; the end of its log ($cache/install-wine.log):"
        tail -20 "$cache/install-wine.log" >&2
        return 1
    fi
    rm -f "$rootfs/usr/sbin/policy-rc.d" "$rootfs/etc/dpkg/dpkg.cfg.d/unsafe-io" \
        "$rootfs/etc/resolv.conf"
    chroot_unmount
}

chroot_unmount() {
    for point in dev sys proc; do
        # A root not made yet has nothing mounted, and no folder to complain about.
        if mountpoint -q "$rootfs/$point" 2>/dev/null; then umount -l "$rootfs/$point"; fi
    done
}

# Whatever a build stopped part-way has left mounted or registered.
undo_image_mounts() {
    if [ -n "${rootfs:-}" ]; then chroot_unmount; fi
    user_mode_off
}

make_disk() {
    truncate -s 4G "$cache/disk.img"
    mkfs.ext4 -q -d "$rootfs" "$cache/disk.img"
    rm -rf "$work"
}

# The first boot: what the chroot could not do, and the Wine prefix. An hour at most: without
# user-mode emulation it installs Wine under full emulation, about 20 minutes here.
first_boot() {
    share=$(mktemp -d)
    # The machine powers itself off; how the boot went, its status file tells.
    boot 3600 /firstboot.sh "$share" >"$cache/firstboot.log" 2>&1 || true
    status="no status"
    [ -f "$share/firstboot-status" ] && status=$(cat "$share/firstboot-status")
    rm -rf "$share"
    if [ "$status" != ok ]; then
        log "the first boot failed ($status); its console: $cache/firstboot.log"
        tail -20 "$cache/firstboot.log" >&2
        return 1
    fi
}
