#!/usr/bin/env bash
# run.sh ends everything it started, the program's own children too, whether its driver passes
# or fails, and nothing else. Stand-ins take the place of the program, the virtual display, npm,
# curl and the browser's driver, so the test needs neither a build nor a browser.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/orvessa-run-cleanup-XXXXXX)
bystander=
cleanup() {
    # What the runs below left: only processes this test's stand-ins recorded.
    cat "$work"/pids-* 2>/dev/null | xargs -r kill 2>/dev/null || true
    [ -z "$bystander" ] || kill "$bystander" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/build/program" "$work/bin"
stub() { # stub PATH BODY
    printf '#!/bin/sh\n%s\n' "$2" >"$1"
    chmod +x "$1"
}
# The program with a child of its own, as Orvessa's media and web helpers are; it says who
# they are and waits.
stub "$work/build/program/orvessa" 'sleep 300 &
echo "$$ $!" >"$ORVESSA_TEST_PIDS"
wait'
: >"$work/build/program/orvessa_webview.so"
stub "$work/build/program/orvessa-make-demo" 'exit 0'
stub "$work/build/program/orvessa-console" 'cat >/dev/null; exit 0'
# xvfb-run: a display server in the background, the program in the foreground.
stub "$work/bin/xvfb-run" 'sleep 300 &
echo "$!" >"$ORVESSA_TEST_PIDS.display"
while [ "${1#-}" != "$1" ]; do
    if [ "$1" = -s ]; then shift; fi
    shift
done
"$@"'
stub "$work/bin/curl" 'exit 0'
stub "$work/bin/npm" 'exit 0'
# The driver waits for the program, then passes or fails as told.
stub "$work/bin/node" 'for i in $(seq 100); do [ -s "$ORVESSA_TEST_PIDS" ] && break; sleep 0.1; done
exit "$ORVESSA_TEST_DRIVER_STATUS"'

sleep 300 &
bystander=$!
# A process that has ended but waits to be reaped (by an init that is slow to) runs no more.
running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) && [ "${state#Z}" = "$state" ]
}

failures=0
for status in 0 1; do
    pids=$work/pids-$status
    set +e
    PATH=$work/bin:$PATH ORVESSA_TEST_PIDS=$pids ORVESSA_TEST_DRIVER_STATUS=$status \
        "$here/run.sh" "$work/build" "$work/shots-$status" >"$work/log-$status" 2>&1
    code=$?
    set -e
    if [ "$code" -ne "$status" ]; then
        echo "driver exiting $status: run.sh exited $code"
        cat "$work/log-$status"
        failures=$((failures + 1))
    fi
    started="$(cat "$pids" "$pids.display" 2>/dev/null || true)"
    if [ -z "$started" ]; then
        echo "driver exiting $status: the program never started"
        failures=$((failures + 1))
        continue
    fi
    for p in $started; do
        for _ in $(seq 50); do
            running "$p" || break
            sleep 0.1
        done
        if running "$p"; then
            echo "driver exiting $status: process $p ($(ps -o args= -p "$p")) outlived run.sh"
            failures=$((failures + 1))
        fi
    done
done
if ! kill -0 "$bystander" 2>/dev/null; then
    echo "a process run.sh did not start was ended"
    failures=$((failures + 1))
fi
if [ "$failures" -eq 0 ]; then
    echo "2 passed, 0 failed"
else
    echo "0 passed, $failures failed"
fi
exit $((failures > 0))
