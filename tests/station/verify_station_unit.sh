#!/bin/sh
# verify_station_unit.sh UNIT STATION: systemd-analyze verify finds nothing to say about an
# instance of the template, its program's path pointed at the one just built, and the unit asks
# for what the service relies on. Exits 77 (skipped) without systemd-analyze.
set -u
for line in 'Type=notify' 'ExecStart=/usr/lib/orvessa/orvessa-station %f' 'Restart=on-failure'; do
    grep -qxF "$line" "$1" || { echo "no $line"; exit 1; }
done
grep -q '^WatchdogSec=' "$1" || { echo "no WatchdogSec"; exit 1; }
command -v systemd-analyze >/dev/null 2>&1 || exit 77
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
sed "s|=/usr/lib/orvessa/orvessa-station |=$2 |" "$1" >"$dir/orvessa-station@.service"
out=$(cd "$dir" && systemd-analyze verify "$dir/orvessa-station@srv-orvessa.service" 2>&1)
status=$?
[ "$status" -eq 0 ] && [ -z "$out" ] && exit 0
printf '%s\n' "$out"
exit 1
