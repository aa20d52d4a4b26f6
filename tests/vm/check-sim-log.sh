#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the requests an instrument received, from zet-sim's --verbose log: every frame
# carries a correct check byte, and each module address given was polled with at least
# three status requests.   check-sim-log.sh LOG ADDRESS...   (addresses in hex: 80 96)
set -euo pipefail
log=$1
shift
declare -A status=()
frames=0 bad=0
while read -r dir b0 b1 b2 b3 b4 b5 b6 b7 rest; do
    [ "$dir" = "->" ] && [ -n "$b7" ] && [ -z "$rest" ] || continue
    frames=$((frames + 1))
    x=0
    for b in $b0 $b1 $b2 $b3 $b4 $b5 $b6; do x=$((x ^ 16#$b)); done
    if ((x != 16#$b7)); then
        bad=$((bad + 1))
        echo "bad check byte: $dir $b0 $b1 $b2 $b3 $b4 $b5 $b6 $b7"
    fi
    [ "$b1" = 0C ] && status[$b0]=$((${status[$b0]:-0} + 1))
done <"$log"
ok=$((frames > 0 && bad == 0))
line="$frames requests, $bad with a bad check byte; status requests:"
for a in "$@"; do
    line+=" $a:${status[$a]:-0}"
    ((${status[$a]:-0} >= 3)) || ok=0
done
echo "$(basename "$log"): $line"
((ok))
