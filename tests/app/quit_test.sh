#!/usr/bin/env bash
# A real-window test: quit ends the process. Here the end of the day quits ("所有项目播完后" set
# to close the system) on a day without a table, so the first ticks of the clock run out of rows.
# Usage: quit_test.sh ORVESSA_EXECUTABLE DEFAULT_CONFIG   (run under xvfb-run)
set -u
executable=$1
config=$2

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Entry 5 "1": quit after the last row.
source "$(dirname "$0")/program_directory.sh"
make_program_directory "$work" "$executable" "$config" 1

"$work/program/orvessa" > "$work/orvessa.log" 2>&1 &
pid=$!
for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: Orvessa is still running 30 s after the day ran out with \"quit\" chosen"
    exit 1
fi
wait "$pid"
code=$?
pid=""
[ "$code" -eq 0 ] || { echo "FAIL: Orvessa exited with $code"; exit 1; }
echo "quit ended the process"
