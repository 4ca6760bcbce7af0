#!/bin/sh
# A 32-bit x86 Debian machine under full-system emulation, to run the shipped i686 DLL in a
# real 32-bit Wine (this host cannot run 32-bit code itself).
#
#   vm.sh image        build the machine image unless the cache has it
#   vm.sh run JOBDIR   boot it, run JOBDIR/job.sh inside under a virtual display, power off;
#                      the job's output and exit code come back in JOBDIR/
#
# The image lives outside the repository, in a cache folder keyed by this recipe, so a
# second run on the same machine starts at once. Every stage has a time limit.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
recipe=$(cat "$here/vm.sh" "$here/firstboot.sh" "$here/install-wine.sh" "$here/jobinit.sh" \
    "$here/initramfs-init.sh" |
    sha256sum | cut -c1-16)
cache="${TOLVANIX_VM_CACHE:-/var/cache/tolvanix-i386}/$recipe"
mirror="${TOLVANIX_DEBIAN_MIRROR:-http://deb.debian.org/debian}"

log() { echo "vm: $(date +%T) $*" >&2; }

boot() {
    # boot TIMEOUT INIT SHARE
    # A job boot writes to a throw-away overlay: the image stays as it was built.
    timeout --kill-after=10 "$1" qemu-system-i386 ${snapshot:-} \
        -accel tcg,thread=multi -cpu max,smap=off -smp 2 -m 2048 -nographic -no-reboot \
        -kernel "$cache/vmlinuz" -initrd "$cache/initrd.gz" \
        -append "console=ttyS0 quiet tolvanix.init=$2" \
        -drive "file=$cache/disk.img,if=virtio,format=raw" \
        -nic user,model=virtio-net-pci \
        -virtfs "local,path=$3,mount_tag=job,security_model=none,id=job" </dev/null
}

# i386 programs run through qemu-user while our own binfmt entry is registered; it names
# the interpreter with the F flag, so a chroot needs no copy of it.
binfmt=/proc/sys/fs/binfmt_misc
binfmt_entry=tolvanix-i386
binfmt_mounted=""

user_mode_on() {
    [ -x /usr/bin/qemu-i386-static ] || return 1
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || return 1
        binfmt_mounted=yes
    fi
    [ -e "$binfmt/$binfmt_entry" ] ||
        printf '%s\n' ":$binfmt_entry:M::$i386_magic:$i386_mask:/usr/bin/qemu-i386-static:F" \
            >"$binfmt/register" 2>/dev/null || { user_mode_off; return 1; }
    chroot "$1" /bin/true 2>/dev/null || { user_mode_off; return 1; }
}

user_mode_off() {
    if [ -e "$binfmt/$binfmt_entry" ]; then echo -1 >"$binfmt/$binfmt_entry"; fi
    if [ -n "$binfmt_mounted" ]; then umount "$binfmt"; fi
    binfmt_mounted=""
}

# The ELF header of an i386 executable or shared object, as binfmt_misc matches it.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

install_in_chroot() {
    # The second stage, then Wine, with the kernel file systems mounted for the package
    # scripts and services kept from starting; everything mounted is unmounted again.
    root=$1
    trap 'chroot_unmount "$root"; user_mode_off' EXIT
    trap 'exit 1' HUP INT TERM
    mount -t proc proc "$root/proc"
    mount -t sysfs sysfs "$root/sys"
    mount --bind /dev "$root/dev"
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    # The image is rebuilt from nothing if anything fails: no need to sync every file.
    mkdir -p "$root/etc/dpkg/dpkg.cfg.d"
    echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
    timeout 1800 chroot "$root" /debootstrap/debootstrap --second-stage >/dev/null
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    timeout 1800 chroot "$root" /install-wine.sh
    rm -f "$root/usr/sbin/policy-rc.d" "$root/etc/dpkg/dpkg.cfg.d/unsafe-io" "$root/etc/resolv.conf"
    chroot_unmount "$root"
    trap - EXIT HUP INT TERM
}

chroot_unmount() {
    for point in dev sys proc; do
        if mountpoint -q "$1/$point"; then umount -l "$1/$point"; fi
    done
}

build_image() {
    [ -f "$cache/ready" ] && return 0
    log "building the i386 machine image in $cache (about 10 minutes)"
    # A build that was killed may have left the host's /dev mounted in its root.
    chroot_unmount "$cache/work/rootfs"
    rm -rf --one-file-system "$cache"
    mkdir -p "$cache"
    work="$cache/work"
    mkdir -p "$work/debs" "$work/kernel" "$work/initramfs"

    "$here/../install-deps.sh" vm
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        apt-get update -qq
    fi
    kernel_package=$(apt-cache depends linux-image-686:i386 | sed -n 's/.*Depends: \(linux-image-[0-9].*-686\).*/\1/p' | head -1)
    (cd "$work/debs" && apt-get download -qq "$kernel_package:i386" busybox-static:i386)
    dpkg-deb -x "$work"/debs/linux-image-*.deb "$work/kernel"
    dpkg-deb -x "$work"/debs/busybox-static_*.deb "$work/busybox"
    cp "$work"/kernel/boot/vmlinuz-* "$cache/vmlinuz"

    # A tiny first stage: busybox and the modules that reach the disk, the share and the net.
    modules=$(ls -d "$work"/kernel/lib/modules/*)
    initramfs="$work/initramfs"
    mkdir -p "$initramfs/bin" "$initramfs/modules"
    cp "$work/busybox/bin/busybox" "$initramfs/bin/busybox"
    cp "$here/initramfs-init.sh" "$initramfs/init"
    chmod +x "$initramfs/init"
    : >"$initramfs/modules/order"
    add_module() {
        local file name dependency
        # Module names write - and _ alike.
        file=$(find "$modules" -name "$(echo "$1" | sed 's/[-_]/[-_]/g').ko" | head -1)
        [ -n "$file" ] || return 0
        name=$(basename "$file" .ko)
        grep -qx "$name" "$initramfs/modules/order" && return 0
        for dependency in $(strings "$file" | sed -n 's/^depends=//p' | tr ',' ' '); do
            add_module "$dependency"
        done
        cp "$file" "$initramfs/modules/"
        echo "$name" >>"$initramfs/modules/order"
    }
    # ext4 checks its metadata with crc32c, which it names nowhere in its dependencies.
    for module in virtio_pci virtio_blk virtio_net crc32c_generic ext4 9pnet_virtio 9p; do
        add_module "$module"
    done
    (cd "$initramfs" && find . | cpio -o -H newc --quiet | gzip -1) >"$cache/initrd.gz"

    # The root file system: debootstrap's first stage here; the second stage and Wine here
    # too when this machine can run i386 programs in user-mode emulation (minutes), else at
    # the first boot under full emulation (several times slower).
    rootfs="$work/rootfs"
    # The smallest base, and what the jobs and a first boot that installs Wine still use.
    timeout 1800 debootstrap --foreign --arch=i386 --variant=minbase \
        --include=iproute2,procps bookworm "$rootfs" "$mirror" >/dev/null
    rm -f "$rootfs/proc"
    mkdir -p "$rootfs/proc" "$rootfs/sys" "$rootfs/dev" "$rootfs/mnt/job"
    for script in firstboot.sh install-wine.sh jobinit.sh; do
        cp "$here/$script" "$rootfs/$script"
        chmod +x "$rootfs/$script"
    done
    if user_mode_on "$rootfs"; then
        log "second stage and Wine in user-mode emulation"
        install_in_chroot "$rootfs"
        user_mode_off
    fi
    # The base has no init system; the boots power off with busybox.
    cp "$work/busybox/bin/busybox" "$rootfs/bin/busybox"
    truncate -s 4G "$cache/disk.img"
    mkfs.ext4 -q -d "$rootfs" "$cache/disk.img"
    rm -rf "$work"

    share=$(mktemp -d)
    log "first boot"
    boot 3600 /firstboot.sh "$share" >"$cache/firstboot.log" 2>&1 || true
    if [ "$(cat "$share/firstboot-status" 2>/dev/null)" != "ok" ]; then
        log "the first boot failed; see $cache/firstboot.log"
        rm -rf "$share"
        exit 1
    fi
    rm -rf "$share"
    touch "$cache/ready"
    log "image ready"
}

run_job() {
    job=$(cd "$1" && pwd)
    build_image
    rm -f "$job/exit-code"
    snapshot=-snapshot boot "${TOLVANIX_VM_TIMEOUT:-2400}" /jobinit.sh "$job" \
        >"$job/console.log" 2>&1 || true
    if [ ! -f "$job/exit-code" ]; then
        log "the job did not finish; see $job/console.log"
        tail -20 "$job/console.log" >&2
        return 1
    fi
    cat "$job/output.log"
    return "$(cat "$job/exit-code")"
}

case "${1:-}" in
image) build_image ;;
run) run_job "$2" ;;
*)
    echo "usage: vm.sh image | run JOBDIR" >&2
    exit 2
    ;;
esac
