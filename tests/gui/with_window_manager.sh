#!/usr/bin/env bash
# Runs a command on the current X display with Openbox managing its windows, as on a desktop.
# Openbox's files go to a temporary home. Usage: with_window_manager.sh COMMAND [ARGUMENT...]
# (run under xvfb-run)
set -u
work=$(mktemp -d)
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
    XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state"
unset QT_QPA_PLATFORM
openbox --sm-disable > "$work/openbox.log" 2>&1 &
wm=$!
cleanup() {
    kill "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# The command itself waits for the window manager to announce itself.
"$@"
status=$?
[ $status -eq 0 ] || { echo "--- openbox"; cat "$work/openbox.log"; }
exit $status
