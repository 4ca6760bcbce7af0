#!/bin/sh
# A job boot: run the shared folder's job.sh under a virtual display, report, power off.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t tmpfs tmpfs /tmp
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 job /mnt/job
export HOME=/root WINEPREFIX=/root/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
cd /mnt/job
code=0
xvfb-run -a -s "-screen 0 1024x768x24" sh ./job.sh >output.log 2>&1 </dev/null || code=$?
echo "$code" >exit-code
sync
umount /mnt/job
busybox poweroff -f
