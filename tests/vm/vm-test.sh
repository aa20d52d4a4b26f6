#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tool against the Linux kernel's own FTDI driver: a Debian kernel under QEMU binds
# ftdi_sio to QEMU's emulated FT232 converter, whose other end is zet-sim on this machine.
#   tests/vm/vm-test.sh BUILD_DIR        (./zet vm-test builds first and runs this)
# The guest mounts this machine's root read-only over 9p, with a tmpfs overlay for what it
# writes (the installed package, a user), and runs this build there (tests/vm/guest.sh).
# Every wait polls a log; nothing here sleeps a fixed time. Exit status 0 when every
# check passed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: vm-test.sh BUILD_DIR}" && pwd)
deb=$(ls -t "$build"/zet-service_*_amd64.deb 2>/dev/null | head -1 || true)
[ -n "$deb" ] || { echo "vm-test: no package in $build (./zet package builds it)" >&2; exit 1; }
for tool in qemu-system-x86_64 socat cpio /bin/busybox; do
    command -v "$tool" >/dev/null || { echo "vm-test: $tool is missing" >&2; exit 1; }
done

started=$SECONDS
work=$(mktemp -d /tmp/zet-vm.XXXXXX)
qemu_pid=""
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    [ -n "$qemu_pid" ] && kill "$qemu_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    [ -n "${ZET_VM_KEEP:-}" ] && echo "vm-test: logs kept in $work" || rm -rf "$work"
}
trap cleanup EXIT

console=$work/console.log
fail() {
    echo "vm-test: FAILED: $*" >&2
    echo "---- guest console (last 60 lines) ----" >&2
    tail -n 60 "$console" >&2 || true
    for log in "$work"/sim.log; do
        [ -f "$log" ] && { echo "---- $(basename "$log") (last 10 lines) ----" >&2; tail -n 10 "$log" >&2; }
    done
    exit 1
}
# Waits until FILE holds a line matching PATTERN; fails when the guest is gone first or
# the time is up.
wait_for() {
    local pattern=$1 file=$2 seconds=$3 t0=$SECONDS
    until grep -qE -- "$pattern" "$file" 2>/dev/null; do
        kill -0 "$qemu_pid" 2>/dev/null || fail "the virtual machine ended before «$pattern»"
        (( SECONDS - t0 < seconds )) || fail "no «$pattern» within $seconds s"
        sleep 0.2
    done
}
monitor() { printf '%s\n' "$1" | socat -t 2 - "UNIX-CONNECT:$work/monitor.sock" >/dev/null; }

# The newest kernel that has both its image and its modules.
kver=""
for image in $(ls /boot/vmlinuz-* 2>/dev/null | sort -V); do
    v=${image#/boot/vmlinuz-}
    [ -f "/lib/modules/$v/modules.dep" ] && kver=$v
done
[ -n "$kver" ] || fail "no kernel with modules (Debian's linux-image-amd64 provides one)"

# A small initramfs: static busybox, the modules for xHCI, the FTDI driver, virtio, 9p
# and overlayfs in dependency order, and an init that hands over to the shared root.
rd=$work/initramfs
mkdir -p "$rd"/{bin,dev,proc,sys,lower,rw,newroot,modules}
cp /bin/busybox "$rd/bin/busybox"
: >"$rd/modules/order"
for m in xhci_pci ftdi_sio virtio_pci 9pnet_virtio 9p overlay; do
    while read -r kind path _; do
        [ "$kind" = insmod ] || continue
        name=$(basename "$path")
        grep -qx "$name" "$rd/modules/order" && continue
        cp "$path" "$rd/modules/$name"
        echo "$name" >>"$rd/modules/order"
    done < <(modprobe -S "$kver" --show-depends "$m")
done
sed -e "s|@GUEST@|${ZET_VM_GUEST:-$here/guest.sh}|" -e "s|@BUILD@|$build|" -e "s|@DEB@|$deb|" \
    "$here/guest-init.sh" >"$rd/init"
chmod +x "$rd/init"
(cd "$rd" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initramfs.gz"

# Nested KVM is not to be relied on here: software emulation unless KVM works.
accel=tcg
if [ -w /dev/kvm ] && [ -z "${ZET_VM_TCG:-}" ]; then accel=kvm; fi

qemu-system-x86_64 -accel "$accel" -cpu max -m 1536 -smp 2 -nodefaults -no-reboot \
    -display none -serial "file:$console" \
    -kernel "/boot/vmlinuz-$kver" -initrd "$work/initramfs.gz" \
    -append "console=ttyS0 panic=-1 loglevel=3" \
    -monitor "unix:$work/monitor.sock,server=on,wait=off" \
    -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
    -device qemu-xhci,id=xhci \
    -chardev "socket,id=ft,path=$work/ft.sock,server=on,wait=off" \
    -device usb-serial,bus=xhci.0,chardev=ft,id=ftdi,serial=ZET0001,always-plugged=on \
    -trace 'usb_serial_set*' -D "$work/qemu.log" &
qemu_pid=$!
echo "vm-test: Linux $kver under QEMU ($accel), logs in $work"

# The instrument behind the converter: type 10 (base, electrochemical and optical blocks)
# until the unplug, then type 1 (thermocatalytic), as the next instrument on the bench.
# One connection throughout: the character device keeps it while the device is away.
"$build/zet-sim" --type 10 --next-type 1 --socket "$work/ft.sock" --verbose --steady \
    2>"$work/sim.log" >/dev/null &
sim_pid=$!

wait_for 'ZETVM: ttyUSB0' "$console" 120
echo "vm-test: guest up, converter bound ($((SECONDS - started)) s)"
wait_for 'ОТКЛЮЧИТЕ' "$console" 240
monitor "device_del ftdi"
echo "vm-test: unplugged ($((SECONDS - started)) s)"
wait_for 'ПОДКЛЮЧИТЕ' "$console" 120
monitor "device_add usb-serial,bus=xhci.0,chardev=ft,id=ftdi,serial=ZET0001,always-plugged=on"
echo "vm-test: plugged in again ($((SECONDS - started)) s)"
wait_for 'ZETVM: done' "$console" 240
for _ in $(seq 100); do kill -0 "$qemu_pid" 2>/dev/null || break; sleep 0.1; done
kill "$qemu_pid" 2>/dev/null || true
wait "$qemu_pid" 2>/dev/null || true
qemu_pid=""

# What the guest reported, then the other two ends: QEMU's device and the instrument.
grep -q 'ZETVM: done rc=0' "$console" || fail "the guest reported a failure"
grep -aE '^(ZETVM|ок|ОШИБКА|сообщение|>>>|Все)' "$console"
settings=$(grep -E 'usb_serial_set_(baud|data)' "$work/qemu.log" | sort -u)
echo "$settings"
grep -qE 'usb_serial_set_baud .*250000' <<<"$settings" || fail "the driver never set 250000 baud"
grep -qE 'usb_serial_set_data .*parity N, data bits 8, stop bits 2' <<<"$settings" ||
    fail "the driver never set 8 data bits, 2 stop bits, no parity"
# The kernel programs its defaults (9600 8N1) as a port opens; the tool's settings must
# follow on each of the two opens.
opens=$(grep -c 'usb_serial_set_baud .*baud rate 250000' "$work/qemu.log" || true)
((opens >= 2)) || fail "250000 baud programmed $opens times, not on both opens"
# Base unit, oxygen and carbon monoxide blocks; then base unit and thermocatalytic block.
sed -n '1,/the next instrument/p' "$work/sim.log" >"$work/sim-10.log"
sed -n '/the next instrument/,$p' "$work/sim.log" >"$work/sim-1.log"
"$here/check-sim-log.sh" "$work/sim-10.log" 80 96 97 || fail "requests of the first instrument"
"$here/check-sim-log.sh" "$work/sim-1.log" 80 83 || fail "requests of the second instrument"
echo "vm-test: passed in $((SECONDS - started)) s"
