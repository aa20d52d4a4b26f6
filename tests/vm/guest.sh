#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The test VM's first process once the host's root is mounted (see vm-test.sh): starts
# udev, installs the project's package, and runs the hardware test as an ordinary user,
# first outside the dialout group (the port must be refused), then in it (the whole run,
# with the unplug and replug that vm-test.sh performs when the test asks for them).
#   guest.sh BUILD_DIR PACKAGE
build=$1
deb=$2
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8
rc=0
say() { echo "ZETVM: $*"; }
failed() { say "FAILED: $*"; rc=1; }
finish() {
    say "done rc=$rc"
    sync
    echo o >/proc/sysrq-trigger
    sleep 60 2>/dev/null
}
trap finish EXIT

mount -t tmpfs tmpfs /run
# /tmp stays the overlay's (writable, in memory): a build folder under the host's /tmp
# must stay visible.
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
/lib/systemd/systemd-udevd --daemon || { failed "systemd-udevd did not start"; exit; }
udevadm trigger --action=add --type=subsystems
udevadm trigger --action=add --type=devices
udevadm settle --timeout=60
for _ in $(seq 600); do [ -c /dev/ttyUSB0 ] && break; sleep 0.1; done
[ -c /dev/ttyUSB0 ] || { failed "no /dev/ttyUSB0"; exit; }
say "ttyUSB0 bound to $(basename "$(readlink /sys/bus/usb-serial/devices/ttyUSB0/driver)"):" \
    "$(ls -l /dev/ttyUSB0)"

# The package, as an administrator installs it; its rule must reach the port.
rm -f /var/lib/man-db/auto-update # no manual index rebuilt under emulation
if dpkg -i "$deb" >/tmp/dpkg.log 2>&1; then
    say "installed $(basename "$deb")"
else
    cat /tmp/dpkg.log
    failed "dpkg -i"
fi
udevadm settle --timeout=60
info=$(udevadm info /dev/ttyUSB0)
grep -E 'uaccess|ID_MM_DEVICE_IGNORE' <<<"$info" | sed 's/^/ZETVM: udevadm info: /'
grep -qx 'E: ID_MM_DEVICE_IGNORE=1' <<<"$info" || failed "ID_MM_DEVICE_IGNORE=1 missing"
grep -qE '^E: (CURRENT_)?TAGS=.*:uaccess:' <<<"$info" || failed "uaccess tag missing"

# An engineer's account, not root and at first outside dialout.
useradd -m -s /bin/bash engineer
install -d -o engineer -g engineer -m 0700 /tmp/runtime-engineer
as_engineer() {
    setpriv --reuid=engineer --regid=engineer --init-groups \
        env -i HOME=/home/engineer PATH="$PATH" LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen \
        XDG_RUNTIME_DIR=/tmp/runtime-engineer "$@"
}
# The row must show what the kernel reports for the converter's USB device.
usb=$(readlink -f /sys/bus/usb-serial/devices/ttyUSB0)/../..
say "kernel: product «$(cat "$usb/product")», serial «$(cat "$usb/serial")»"
expect=(--expect-description "$(cat "$usb/product")" --expect-serial "$(cat "$usb/serial")" --slow 4)
say "$(id engineer)"
as_engineer /usr/bin/zet-service --version | sed 's/^/ZETVM: installed: /'
# What the installed program says about the port: listed but not to be opened, and why.
doctor() {
    local out status
    out=$(as_engineer /usr/bin/zet-service "$@")
    status=$?
    sed "s/^/ZETVM: zet-service $* (exit $status): /" <<<"$out" | grep -v ': $'
    DOCTOR_OUT=$out
    return $status
}
doctor --list
grep -q '/dev/ttyUSB0' <<<"$DOCTOR_OUT" || failed "--list does not show /dev/ttyUSB0"
doctor --doctor && failed "--doctor calls the port usable outside dialout"
grep -q 'dialout' <<<"$DOCTOR_OUT" || failed "--doctor does not name dialout"
as_engineer "$build/zet-hwtest" --expect-refused "${expect[@]}" || failed "refusal outside dialout"

usermod -aG dialout engineer
say "$(id engineer)"
doctor --doctor || failed "--doctor finds no usable converter in dialout"
as_engineer "$build/zet-hwtest" --unplug "${expect[@]}" || failed "hardware test in dialout"
