#!/bin/sh
# First boot of the machine: the project's Wine prefix, at the path the native roots have it.
# The status file says "ok" only when it was made; the boot's console (the image's
# firstboot.log) shows what failed.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t 9p -o trans=virtio,version=9p2000.L job /mnt/job

if HOME=/root WINEPREFIX=/root/prefix WINEDEBUG=-all xvfb-run -a sh /wine-prefix.sh; then
    status=ok
else
    status="failed with code $?"
fi
echo "$status" >/mnt/job/firstboot-status
sync
umount /mnt/job
busybox poweroff -f
