#!/bin/busybox sh
# SPDX-License-Identifier: GPL-3.0-or-later
# First process of the test VM, from its initramfs: loads the drivers, mounts the host's
# root (read-only, 9p) under a tmpfs overlay and hands over to the guest script there.
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
while read -r m; do
    insmod "/modules/$m" || echo "ZETVM: insmod $m failed"
done </modules/order
stop() { echo "ZETVM: $*"; echo "ZETVM: done rc=1"; echo o >/proc/sysrq-trigger; sleep 60; }
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=512000,cache=loose hostroot /lower ||
    stop "cannot mount the host's root"
mount -t tmpfs -o size=768m tmpfs /rw
mkdir -p /rw/upper /rw/work
mount -t overlay overlay -o lowerdir=/lower,upperdir=/rw/upper,workdir=/rw/work /newroot ||
    stop "cannot mount the overlay"
for d in proc sys dev; do mount --move "/$d" "/newroot/$d"; done
exec switch_root /newroot /bin/bash @GUEST@ @BUILD@ @DEB@
