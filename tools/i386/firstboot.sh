#!/bin/sh
# First boot of the machine: whatever the image build could not do outside it (debootstrap's
# second stage, Wine), then a ready Wine prefix.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t 9p -o trans=virtio,version=9p2000.L job /mnt/job

install_wine() {
    ip link set lo up
    ip link set eth0 up
    ip addr add 10.0.2.15/24 dev eth0
    ip route add default via 10.0.2.2
    echo "nameserver 10.0.2.3" >/etc/resolv.conf
    /install-wine.sh
}

status=failed
if [ -d /debootstrap ]; then
    /debootstrap/debootstrap --second-stage >/dev/null
    mount -t proc proc /proc 2>/dev/null
fi
if [ ! -d /debootstrap ] && { command -v wine >/dev/null || install_wine; }; then
    export WINEPREFIX=/root/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
    xvfb-run -a sh -c 'wine wineboot -u; wineserver -w' >/dev/null 2>&1
    reg() { xvfb-run -a wine reg add "$@" /f >/dev/null 2>&1; }
    reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
    reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
    wineserver -w
    status=ok
fi
echo "$status" >/mnt/job/firstboot-status
sync
umount /mnt/job
busybox poweroff -f
