#!/bin/sh
# First boot of the machine: debootstrap's second stage, Wine, and a ready Wine prefix.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t 9p -o trans=virtio,version=9p2000.L job /mnt/job
status=failed
if /debootstrap/debootstrap --second-stage >/dev/null; then
    mount -t proc proc /proc 2>/dev/null
    ip link set lo up
    ip link set eth0 up
    ip addr add 10.0.2.15/24 dev eth0
    ip route add default via 10.0.2.2
    echo "nameserver 10.0.2.3" >/etc/resolv.conf
    export DEBIAN_FRONTEND=noninteractive
    if apt-get update -qq &&
        apt-get install -y -qq --no-install-recommends wine wine32 xvfb xauth \
            fonts-liberation >/dev/null; then
        export WINEPREFIX=/root/wineprefix WINEDEBUG=-all
        xvfb-run -a sh -c 'wine wineboot -u; wineserver -w' >/dev/null 2>&1
        reg() { xvfb-run -a wine reg add "$@" /f >/dev/null 2>&1; }
        reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
        reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
        wineserver -w
        apt-get clean
        status=ok
    fi
fi
echo "$status" >/mnt/job/firstboot-status
sync
umount /mnt/job
poweroff -f
