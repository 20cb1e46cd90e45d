#!/bin/bash
# The console's cost to the bells: the same bench run twice, first with the console serving
# but nobody asking (one event stream, for the event latency alone), then with 50 clients
# polling the status five times a second and 20 event streams. All clients are on 127.0.0.1.
#
# Usage: bench/console_load [seconds per run (default 90)] [build directory (default build)]
set -euo pipefail

seconds=${1:-90}
build=${2:-build}
program="$build/bench/orvessa_console_load"
if [ ! -x "$program" ]; then
    echo "no $program: build the project first" >&2
    exit 1
fi
# Each run ends by itself; the limit only guards against a hang.
limit=$((seconds + 120))

echo "=== without console load: console serving, no pollers, 1 event stream ==="
timeout --kill-after=10 "$limit" "$program" "$seconds" --pollers=0 --streams=1
echo
echo "=== with console load: 50 pollers at 5 a second, 20 event streams ==="
timeout --kill-after=10 "$limit" "$program" "$seconds" --pollers=50 --streams=20
