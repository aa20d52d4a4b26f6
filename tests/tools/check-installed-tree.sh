#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks an installed tree (a prefix such as /usr or $HOME/opt/zet): every file the
# program and the desktop need is in place, and the installed program starts with the
# simulated instrument, from another directory, and keeps running.
#   check-installed-tree.sh PREFIX
set -euo pipefail
prefix=$(cd "$1" && pwd)
fail() { echo "check-installed-tree: $*" >&2; exit 1; }

for f in bin/zet-service \
         share/zet-service/LMP91000.bmp \
         share/zet-service/stend1.bmp \
         share/applications/zet-service.desktop \
         share/metainfo/local.zet.ZetService.metainfo.xml \
         share/icons/hicolor/scalable/apps/zet-service.svg \
         share/man/man1/zet-service.1.gz \
         lib/udev/rules.d/70-zet-service.rules; do
    [ -s "$prefix/$f" ] || fail "missing $prefix/$f"
done
[ -x "$prefix/bin/zet-service" ] || fail "bin/zet-service is not executable"

version=$(cd / && "$prefix/bin/zet-service" --version)
[[ $version == "zet-service "* ]] || fail "--version printed '$version'"

# Started for a second from another directory: still running then means it came up.
status=0
(cd / && QT_QPA_PLATFORM=offscreen timeout 1 "$prefix/bin/zet-service" --demo 3) || status=$?
[ "$status" -eq 124 ] || fail "zet-service --demo 3 ended with status $status within a second"
echo "check-installed-tree: $prefix is complete and starts"
