#!/usr/bin/env bash
# A real-window test: the panic key starts the emergency while the main window is hidden, as a
# USB panic button typing the key would, and the alarm's state and record say who started it.
# Usage: panic_key_test.sh ORVESSA_EXECUTABLE DEFAULT_CONFIG
#        (run under xvfb-run, through tests/gui/with_window_manager.sh)
set -u
executable=$1
config=$2

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$pid" ] && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/program_directory.sh"
make_program_directory "$work" "$executable" "$config"
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
# Entry 7: hide the main window at start. The chord is one the stock keymap leaves to clients.
awk 'NR == 8 { print "1\r"; next } { print }' "$work/program/orvessa.sys" > "$work/sys" &&
    mv "$work/sys" "$work/program/orvessa.sys"
printf 'key=Ctrl+Shift+F9\n' > "$work/program/alerts.conf"

"$work/program/orvessa" > "$work/orvessa.log" 2>&1 &
pid=$!
# The siren is written as the alerts start, just before the key is grabbed.
for _ in $(seq 1 100); do
    ls "$TMPDIR"/orvessa-alert-*/siren.wav > /dev/null 2>&1 && break
    sleep 0.1
done
sleep 2
if ! kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: Orvessa did not start"; cat "$work/orvessa.log"; exit 1
fi
if xdotool search --onlyvisible --name '.' 2>/dev/null | xargs -r -n1 xdotool getwindowpid 2>/dev/null |
    grep -qx "$pid"; then
    echo "FAIL: a window of Orvessa is shown; the test wants it hidden"; exit 1
fi

xdotool key --clearmodifiers ctrl+shift+F9
for _ in $(seq 1 100); do
    grep -q '^on=1' "$work/program/emergency.state" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q '^on=1' "$work/program/emergency.state" 2>/dev/null; then
    echo "FAIL: the key did not start the emergency"; cat "$work/orvessa.log"; exit 1
fi
grep -q '^by=operator@key$' "$work/program/emergency.state" ||
    { echo "FAIL: the state does not say the key started it"; cat "$work/program/emergency.state"; exit 1; }
# The record reaches the disk from its own thread.
for _ in $(seq 1 50); do
    grep -qs ' emergency on by=operator@key$' "$work"/state/orvessa/as-run-*.log && break
    sleep 0.1
done
grep -qs ' emergency on by=operator@key$' "$work"/state/orvessa/as-run-*.log ||
    { echo "FAIL: no as-run line for the emergency"; ls -R "$work/state"; exit 1; }
echo "the panic key started the emergency with the window hidden"
