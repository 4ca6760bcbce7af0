#!/bin/busybox sh
# First stage: load the drivers, mount the disk, hand over to the init the kernel was told.
/bin/busybox --install -s /bin
mkdir -p /proc /sys /dev /newroot
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
for module in $(cat /modules/order); do
    # A module the kernel has built in is there already, and its complaint says so only.
    insmod /modules/$module.ko* 2>/dev/null
done
init=$(sed -n 's/.*tolvanix\.init=\([^ ]*\).*/\1/p' /proc/cmdline)
for wait in 1 2 3 4 5 6 7 8 9 10; do
    [ -b /dev/vda ] && break
    sleep 1
done
mount -t ext4 /dev/vda /newroot
umount /proc /sys
mount --move /dev /newroot/dev
exec switch_root /newroot "$init"
