#!/bin/bash
# What the real programs cost while they wait: processor time, wake-ups and resident memory over
# the same minute in which nothing plays, for the desktop program and the service side by side.
# The desktop runs under xvfb-run, the service (orvessa-station) with no display at all; each has
# a demonstration program directory of its own whose only row is due long after the measurement
# ends, and XDG folders of its own in a temporary directory. After start-up settles, reads the run
# time of all of each program's threads (/proc/PID/task/*/schedstat, nanoseconds), its wake-ups
# (context switches) and VmRSS. The virtual display's own processor time is shown beside the
# desktop's: what the program draws, the display server draws again. Reports, does not judge.
#
# Usage: idle_bench.sh [program directory of a build, default ../build/program] [seconds, default 60]

set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/program}
seconds=${2:-60}
for f in orvessa orvessa-station orvessa-make-demo; do
    if [ ! -f "$build/$f" ]; then
        echo "no $build/$f: build the targets orvessa, orvessa-station and orvessa-make-demo first" >&2
        exit 2
    fi
done
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing" >&2; exit 2; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/orvessa-idle-XXXXXX")
xvfb=
program=
display=
station=
# Waits up to $2 tenths of a second for process $1 to end.
gone_within() {
    for _ in $(seq "$2"); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$1" 2>/dev/null
}
cleanup() {
    set +e
    if [ -n "$station" ]; then
        kill "$station" 2>/dev/null
        gone_within "$station" 50 || kill -KILL "$station" 2>/dev/null
        wait "$station" 2>/dev/null
    fi
    if [ -n "$program" ]; then
        kill "$program" 2>/dev/null
        gone_within "$program" 50 || kill -KILL "$program" 2>/dev/null
    fi
    if [ -n "$xvfb" ]; then
        # xvfb-run ends its display once the program is gone; if it did not start one, or hangs,
        # both go by force.
        if ! gone_within "$xvfb" 50; then
            [ -n "$display" ] && kill "$display" 2>/dev/null
            kill "$xvfb" 2>/dev/null
        fi
        wait "$xvfb" 2>/dev/null
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Today's table in each directory holds one chime, due after the measurement: the clock waits
# for it all along.
clock_text() { date -d "@$1" +%-H:%M:%S; }
settle=10
due=$(($(date +%s) + settle + seconds + 120))
# make_program DIR: a demonstration directory with that single row.
make_program() {
    "$build/orvessa-make-demo" "$1" "$here/../resources/orvessa.sys" >/dev/null
    printf '1,%s,chime,chime.wav,,200,\r\n' "$(clock_text "$due")" >"$(ls "$1"/zxsj*.log)"
}
# xdg NAME: the XDG folders of one program, as environment assignments.
xdg() {
    local d=$tmp/$1
    mkdir -p "$d/config" "$d/runtime" "$d/data" "$d/state" "$d/cache"
    chmod 700 "$d/runtime"
    echo "XDG_CONFIG_HOME=$d/config XDG_RUNTIME_DIR=$d/runtime XDG_DATA_HOME=$d/data" \
        "XDG_STATE_HOME=$d/state XDG_CACHE_HOME=$d/cache"
}

prog=$tmp/program
make_program "$prog"
cp "$build/orvessa" "$prog/"
if [ -f "$build/orvessa_webview.so" ]; then
    cp "$build/orvessa_webview.so" "$prog/"
fi
make_program "$tmp/station-program"

# The wrapper shell writes its pid and becomes the program, so the pid is the program's own.
# shellcheck disable=SC2016,SC2046
env $(xdg desktop) xvfb-run -a -s "-screen 0 1280x1024x24" \
    sh -c 'echo $$ >"$1/pid"; exec "$1/program/orvessa"' sh "$tmp" \
    >"$tmp/program.log" 2>&1 &
xvfb=$!
# No display for the service: env becomes the service, so the pid is its own.
# shellcheck disable=SC2046
env -u DISPLAY -u WAYLAND_DISPLAY -u NOTIFY_SOCKET -u WATCHDOG_USEC $(xdg station) \
    "$build/orvessa-station" "$tmp/station-program" >"$tmp/station.log" 2>&1 &
station=$!
for _ in $(seq 100); do
    [ -s "$tmp/pid" ] && break
    sleep 0.1
done
if [ ! -s "$tmp/pid" ]; then
    echo "the desktop program did not start under xvfb-run; its output:" >&2
    cat "$tmp/program.log" >&2
    exit 1
fi
program=$(cat "$tmp/pid")
alive() {
    if ! kill -0 "$program" 2>/dev/null; then
        echo "the desktop program ended early; its output:" >&2
        cat "$tmp/program.log" >&2
        exit 1
    fi
    if ! kill -0 "$station" 2>/dev/null; then
        echo "the service ended early; its output:" >&2
        cat "$tmp/station.log" >&2
        exit 1
    fi
}

# Nanoseconds on a processor, summed over the threads alive now.
run_ns() {
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'
}
# Context switches, summed over the threads alive now: each is a wake-up or a preemption.
switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/ctxt_switches/ { s += $2 } END { printf "%.0f\n", s }'
}
threads() { ls /proc/"$1"/task | wc -l; }
# Clock ticks of user and system time, dead threads included.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
for _ in $(seq 50); do
    display=$(pgrep -P "$xvfb" -x Xvfb 2>/dev/null || true)
    if [ -z "$display" ]; then
        display=$(ps -e -o pid=,ppid=,comm= | awk -v root="$xvfb" '
            { parent[$1] = $2; name[$1] = $3 }
            END { for (p in parent) if (name[p] == "Xvfb") for (q = parent[p]; q > 1; q = parent[q]) if (q == root) print p }' | head -1)
    fi
    [ -n "$display" ] && break
    sleep 0.1
done

sleep "$settle"
alive
ns0=$(run_ns "$program") sw0=$(switches "$program") t0=$(ticks "$program")
sns0=$(run_ns "$station") ssw0=$(switches "$station") st0=$(ticks "$station")
x0=$([ -n "$display" ] && run_ns "$display" || echo 0)
start=$(date +%s.%N)
sleep "$seconds"
alive
ns1=$(run_ns "$program") sw1=$(switches "$program") t1=$(ticks "$program")
sns1=$(run_ns "$station") ssw1=$(switches "$station") st1=$(ticks "$station")
x1=$([ -n "$display" ] && run_ns "$display" || echo 0)
end=$(date +%s.%N)
hz=$(getconf CLK_TCK)

# report NAME NS SWITCHES TICKS RSS_KB THREADS
report() {
    awk -v name="$1" -v ns="$2" -v sw="$3" -v t="$4" -v rss="$5" -v n="$6" -v hz="$hz" \
        -v from="$start" -v to="$end" 'BEGIN {
        wall = to - from
        printf "%s idle for %.1f s (%d threads), nothing playing\n", name, wall, n
        printf "  CPU: %.3f %% of a core (%.1f ms on a processor; %d clock ticks of %d Hz: %.3f %%)\n",
            100 * ns / 1e9 / wall, ns / 1e6, t, hz, 100 * t / hz / wall
        printf "  wake-ups: %.1f a second (%d context switches)\n", sw / wall, sw
        printf "  resident memory (VmRSS): %.1f MB\n", rss / 1024
    }'
}
report "orvessa (desktop, under xvfb-run)" "$((ns1 - ns0))" "$((sw1 - sw0))" "$((t1 - t0))" \
    "$(rss_kb "$program")" "$(threads "$program")"
if [ -n "$display" ]; then
    awk -v x="$((x1 - x0))" -v from="$start" -v to="$end" 'BEGIN {
        printf "  the virtual display (Xvfb) besides: %.3f %% of a core\n", 100 * x / 1e9 / (to - from)
    }'
fi
report "orvessa-station (service, no display)" "$((sns1 - sns0))" "$((ssw1 - ssw0))" \
    "$((st1 - st0))" "$(rss_kb "$station")" "$(threads "$station")"
for log in program station; do
    if [ -s "$tmp/$log.log" ]; then
        echo "$log output:"
        sed 's/^/  /' "$tmp/$log.log"
    fi
done
