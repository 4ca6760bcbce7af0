#!/bin/sh
# First boot of the machine: whatever the image build could not do outside it (debootstrap's
# second stage, Wine), then the project's Wine prefix. The status file says "ok" only when
# every step succeeded; the boot's console (the image's firstboot.log) shows the failing one.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t 9p -o trans=virtio,version=9p2000.L job /mnt/job

install_wine() {
    ip link set lo up &&
        ip link set eth0 up &&
        ip addr add 10.0.2.15/24 dev eth0 &&
        ip route add default via 10.0.2.2 &&
        echo "nameserver 10.0.2.3" >/etc/resolv.conf &&
        sh /install-wine.sh
}

first_boot() {
    if [ -d /debootstrap ]; then
        /debootstrap/debootstrap --second-stage || return 1
        # The second stage unmounts /proc on its way out.
        mountpoint -q /proc || mount -t proc proc /proc
    fi
    command -v wine || install_wine || return 1
    HOME=/root WINEPREFIX=/root/wineprefix WINEDEBUG=-all xvfb-run -a sh /wine-prefix.sh
}

if first_boot; then status=ok; else status="failed with code $?"; fi
echo "$status" >/mnt/job/firstboot-status
sync
umount /mnt/job
busybox poweroff -f
