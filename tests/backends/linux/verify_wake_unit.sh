#!/bin/sh
# verify_wake_unit.sh UNIT HELPER: systemd-analyze verify finds nothing to say about the unit, its
# helper's path pointed at the one just built. Exits 77 (skipped) without systemd-analyze.
set -u
command -v systemd-analyze >/dev/null 2>&1 || exit 77
grep -qx 'ExecStop=/usr/lib/orvessa/orvessa-wake-alarm' "$1" || { echo "no ExecStop of the helper"; exit 1; }
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
sed "s|=/usr/lib/orvessa/orvessa-wake-alarm\$|=$2|" "$1" >"$dir/orvessa-wake.service"
out=$(systemd-analyze verify "$dir/orvessa-wake.service" 2>&1)
status=$?
[ "$status" -eq 0 ] && [ -z "$out" ] && exit 0
printf '%s\n' "$out"
exit 1
