# The recipe of the i386 machine image, sourced by vm.sh, which calls build_image. Every file
# that goes into the image is named in vm.sh's cache key; this one is too.
#
# Stages, each logged with its time: the kernel and busybox from Debian's i386 archive; a
# small first stage (initramfs) that mounts the disk; the root file system, made by the recipe
# of the native roots (root.sh userland), its i386 programs run by user-mode emulation; the
# disk; the first boot, which makes the Wine prefix.

mirror="${TOLVANIX_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
# The modules that reach the disk and the shared folder. ext4 checks its metadata with crc32c,
# which it names nowhere in its dependencies.
initramfs_modules="virtio_pci virtio_blk crc32c_generic ext4 9pnet_virtio 9p"
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
        log "waiting for the native i686 test run, or another build of the image, to end"
        flock -x 8
        [ -f "$cache/ready" ] && return 0
    fi
    log "building the i386 machine image in $cache"
    work="$cache/work"
    rootfs="$work/rootfs"
    rm -rf --one-file-system "$cache"
    mkdir -p "$work"
    "$here/../install-deps.sh" vm
    stage fetch_kernel_and_busybox
    stage make_initramfs
    if ! user_mode_on; then
        log "the root needs i386 programs run by qemu-user through binfmt_misc, which failed here"
        return 1
    fi
    stage make_root
    user_mode_off
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

# The root of the native i686-wine8 platform, and what the boots need besides. Its log is kept
# in the cache; a failure shows its end.
make_root() {
    if ! "$here/root.sh" userland i686-wine8 "$rootfs" >"$cache/root.log" 2>&1; then
        log "making the root failed; the end of its log ($cache/root.log):"
        tail -20 "$cache/root.log" >&2
        return 1
    fi
    for script in firstboot.sh jobinit.sh ../wine-prefix.sh; do
        cp "$here/$script" "$rootfs/${script##*/}"
        chmod +x "$rootfs/${script##*/}"
    done
    mkdir -p "$rootfs/mnt/job"
    # The base has no init system; the boots power off with busybox.
    cp "$work/busybox/bin/busybox" "$rootfs/bin/busybox"
}

# Whether i386 programs can run here under qemu-user; each step's complaint says no more than
# the failure does.
user_mode_on() {
    [ -x /usr/bin/qemu-i386-static ] || return 1
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || return 1
        binfmt_mounted=yes
    fi
    [ -e "$binfmt/$binfmt_entry" ] ||
        printf '%s\n' ":$binfmt_entry:M::$i386_magic:$i386_mask:/usr/bin/qemu-i386-static:F" \
            >"$binfmt/register" 2>/dev/null || { user_mode_off; return 1; }
    "$work/busybox/bin/busybox" true 2>/dev/null || { user_mode_off; return 1; }
}

user_mode_off() {
    if [ -e "$binfmt/$binfmt_entry" ]; then echo -1 >"$binfmt/$binfmt_entry"; fi
    if [ -n "$binfmt_mounted" ]; then umount "$binfmt"; fi
    binfmt_mounted=""
}

make_disk() {
    truncate -s 4G "$cache/disk.img"
    mkfs.ext4 -q -d "$rootfs" "$cache/disk.img"
    rm -rf "$work"
}

# The first boot makes the Wine prefix; ten minutes at most, for a hang.
first_boot() {
    share=$(mktemp -d)
    # The machine powers itself off; how the boot went, its status file tells.
    boot 600 /firstboot.sh "$share" >"$cache/firstboot.log" 2>&1 || true
    status="no status"
    [ -f "$share/firstboot-status" ] && status=$(cat "$share/firstboot-status")
    rm -rf "$share"
    if [ "$status" != ok ]; then
        log "the first boot failed ($status); its console: $cache/firstboot.log"
        tail -20 "$cache/firstboot.log" >&2
        return 1
    fi
}
