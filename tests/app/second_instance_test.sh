#!/usr/bin/env bash
# A real-window test: with Orvessa running, a second start shows "Orvessa已经运行！" in a
# message box captioned "系统信息" and exits once it is answered, while the first goes on. The
# second names the same X server as screen 0 of the display (":N.0" after ":N").
# Usage: second_instance_test.sh ORVESSA_EXECUTABLE DEFAULT_CONFIG   (run under xvfb-run)
set -u
executable=$1
config=$2

work=$(mktemp -d)
first=""
cleanup() {
    [ -n "$first" ] && kill "$first" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/program_directory.sh"
source "$(dirname "$0")/refused_instance.sh"
make_program_directory "$work" "$executable" "$config"

fail() {
    echo "FAIL: $*"
    exit 1
}

"$work/program/orvessa" > "$work/first.log" 2>&1 &
first=$!
xdotool search --sync --onlyvisible --name 'Orvessa    VER 5.0' > /dev/null ||
    fail "the first instance shows no main window"

DISPLAY="$DISPLAY.0" "$work/program/orvessa" > "$work/second.log" 2>&1 &
second=$!
box=$(timeout 20 xdotool search --sync --onlyvisible --name '^系统信息$' | head -n 1)
[ -n "$box" ] || fail "the second instance shows no message box"
kill -0 "$second" 2>/dev/null || fail "the second instance ended before its message was answered"
xdotool windowfocus --sync "$box" key Return

expect_refused "$second" "$first"
echo "second instance refused; first instance still running"
