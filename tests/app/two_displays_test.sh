#!/usr/bin/env bash
# A real-window test on two X servers: with Orvessa running on one, a second start for the same
# program directory on the other, with a runtime directory of its own, shows "Orvessa已经运行！"
# and exits once it is answered, while the first goes on. Then the skin pictures: the first,
# killed, leaves its folder; the next start sweeps it and keeps its own.
# Usage: two_displays_test.sh ORVESSA_EXECUTABLE DEFAULT_CONFIG
set -u
executable=$1
config=$2

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do
        kill "$p" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for log in "$work"/*.log; do
        [ -f "$log" ] && { echo "--- $log"; cat "$log"; }
    done
    exit 1
}

# An X server on a free display number; its display in the variable named $1.
start_server() {
    local name=$1 fifo="$work/$1.display"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3> "$fifo" 2> "$work/$name-x.log" &
    pids+=($!)
    local number
    read -r -t 20 number < "$fifo" || fail "the X server $name did not start"
    printf -v "$name" ':%s' "$number"
}

source "$(dirname "$0")/program_directory.sh"
source "$(dirname "$0")/refused_instance.sh"
# Entry 5 "3": the end of the day waits.
make_program_directory "$work" "$executable" "$config" 3
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export TMPDIR="$work/tmp"
mkdir -p "$HOME" "$TMPDIR" "$work/runtime-b"
chmod 700 "$work/runtime-b"

start_server one
start_server two

DISPLAY=$one "$work/program/orvessa" > "$work/first.log" 2>&1 &
first=$!
pids+=("$first")
DISPLAY=$one xdotool search --sync --onlyvisible --name 'Orvessa    VER 5.0' > /dev/null ||
    fail "the first instance shows no main window"

DISPLAY=$two XDG_RUNTIME_DIR="$work/runtime-b" "$work/program/orvessa" > "$work/second.log" 2>&1 &
second=$!
pids+=("$second")
box=$(DISPLAY=$two timeout 20 xdotool search --sync --onlyvisible --name '^系统信息$' | head -n 1)
[ -n "$box" ] || fail "the second instance, on $two, shows no message box"
DISPLAY=$two xdotool search --name 'Orvessa    VER 5.0' > /dev/null &&
    fail "the second instance shows a main window"
DISPLAY=$two xdotool windowfocus --sync "$box" key Return
expect_refused "$second" "$first"
echo "second instance on another display refused; first instance still running"

# The skin's pictures of a killed instance stay until the next start.
ls "$TMPDIR" | grep -q '^orvessa-skin-' || fail "the first instance made no skin folder"
kill -KILL "$first"
wait "$first" 2>/dev/null
left=$(ls "$TMPDIR" | grep '^orvessa-skin-')
[ -n "$left" ] || fail "nothing left behind to sweep"

DISPLAY=$two "$work/program/orvessa" > "$work/third.log" 2>&1 &
third=$!
pids+=("$third")
DISPLAY=$two xdotool search --sync --onlyvisible --name 'Orvessa    VER 5.0' > /dev/null ||
    fail "the instance started after a kill shows no main window"
[ -e "$TMPDIR/$left" ] && fail "the killed instance's folder $left was not swept"
ls "$TMPDIR" | grep -q '^orvessa-skin-' || fail "the running instance has no skin folder"
kill -TERM "$third"
wait "$third" 2>/dev/null
echo "a killed instance's skin folder is swept at the next start"
