#!/usr/bin/env bash
# The console in a real browser: lays out a throwaway demonstration program directory with a
# bell a minute from now, turns its console on at a free port of 127.0.0.1 with a user of its
# own, starts Orvessa on a virtual display, and drives headless Chromium through
# console_browser.mjs. Screenshots go to SHOTS (default: a temporary directory, kept).
#
# Usage: tests/browser/run.sh BUILD_DIR [SHOTS]
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/orvessa-browser-XXXXXX)
shots=${2:-$work/shots}
mkdir -p "$shots"
pid=
# Ends what this script started and nothing else: the process group that setsid made for
# xvfb-run, which holds the virtual display and Orvessa as well. The group's number is the pid
# of the process that made it, ours; while the group's setsid has not run yet, the process alone.
group_alive() { # Its members that have not ended (one that has may wait to be reaped).
    ps -e -o pgid=,stat= | awk -v g="$pid" '$1 == g && $2 !~ /^Z/ { found = 1 } END { exit !found }'
}
end_started() {
    [ -n "$pid" ] || return 0
    local target=$pid
    kill -0 -- "-$pid" 2>/dev/null && target=-$pid
    kill -TERM -- "$target" 2>/dev/null || return 0
    for _ in $(seq 50); do
        group_alive || break
        sleep 0.1
    done
    kill -KILL -- "$target" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
}
finish() {
    end_started
    rm -rf "$work/program" "$work/xdg" "$work/driver"
}
# On success, on failure (set -e) and when interrupted alike.
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

dir=$work/program
mkdir -p "$dir" "$work/xdg/config" "$work/xdg/data" "$work/xdg/state" "$work/xdg/cache" \
    "$work/xdg/runtime"
chmod 700 "$work/xdg/runtime"
cp "$build/program/orvessa" "$build/program/orvessa_webview.so" "$dir/"
"$build/program/orvessa-make-demo" "$dir" "$here/../../resources/orvessa.sys" >/dev/null

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
"$build/program/orvessa-console" "$dir" enable --address 127.0.0.1 --port "$port" >/dev/null
echo "$password" | "$build/program/orvessa-console" "$dir" user add tester --role operator >/dev/null

export XDG_CONFIG_HOME=$work/xdg/config XDG_DATA_HOME=$work/xdg/data \
    XDG_STATE_HOME=$work/xdg/state XDG_CACHE_HOME=$work/xdg/cache XDG_RUNTIME_DIR=$work/xdg/runtime
QTWEBENGINE_DISABLE_SANDBOX=1 setsid xvfb-run -a -s '-screen 0 1024x768x24' "$dir/orvessa" \
    >"$work/orvessa.log" 2>&1 &
pid=$!

url=http://127.0.0.1:$port
for _ in $(seq 60); do
    if curl -s -o /dev/null "$url/login"; then
        break
    fi
    sleep 0.5
done

# The driver and its packages go into the work directory, so the checkout stays as it is.
mkdir -p "$work/driver"
cp "$here/package.json" "$here/package-lock.json" "$here/console_browser.mjs" "$work/driver/"
npm ci --prefix "$work/driver" --no-audit --no-fund >/dev/null
# The program itself, which the driver stops for a while to see the page say it is out of reach.
program=$(pgrep -s "$pid" -x orvessa | head -n 1 || true)
status=0
ORVESSA_PROGRAM_PID=${program:-0} ORVESSA_CONSOLE_URL=$url ORVESSA_CONSOLE_USER=tester ORVESSA_CONSOLE_PASSWORD=$password \
    timeout 300 node "$work/driver/console_browser.mjs" "$shots" || status=$?
echo "screenshots: $shots"
if [ "$status" -ne 0 ]; then
    echo "--- Orvessa's output"
    tail -n 40 "$work/orvessa.log" || true
fi
exit $status
