#!/bin/sh
# What the real program costs while it waits: processor time and resident memory over a minute
# in which nothing plays. Runs the built orvessa under xvfb-run in a demonstration program
# directory whose only row is due long after the measurement ends, lets start-up settle, then
# reads the run time of all the program's threads (/proc/PID/task/*/schedstat, nanoseconds),
# its wake-ups (context switches) and VmRSS. The virtual display's own processor time is shown
# beside it: what the program draws, the display server draws again. Reports, does not judge.
#
# Usage: idle_bench.sh [program directory of a build, default ../build/program] [seconds, default 60]

set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/program}
seconds=${2:-60}
for f in orvessa orvessa-make-demo; do
    if [ ! -f "$build/$f" ]; then
        echo "no $build/$f: build the targets orvessa and orvessa-make-demo first" >&2
        exit 2
    fi
done
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing" >&2; exit 2; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/orvessa-idle-XXXXXX")
xvfb=
program=
cleanup() {
    if [ -n "$program" ]; then
        kill "$program" 2>/dev/null || true
    fi
    if [ -n "$xvfb" ]; then
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT INT TERM

prog=$tmp/program
mkdir -p "$tmp/config" "$tmp/runtime" "$tmp/data" "$tmp/state" "$tmp/cache"
chmod 700 "$tmp/runtime"
"$build/orvessa-make-demo" "$prog" "$here/../resources/orvessa.sys" >/dev/null
cp "$build/orvessa" "$prog/"
if [ -f "$build/orvessa_webview.so" ]; then
    cp "$build/orvessa_webview.so" "$prog/"
fi

# Today's table holds one chime, due after the measurement: the clock waits for it all along.
table=$(ls "$prog"/zxsj*.log)
clock_text() { date -d "@$1" +%-H:%M:%S; }
settle=10
due=$(($(date +%s) + settle + seconds + 120))
printf '1,%s,chime,chime.wav,,200,\r\n' "$(clock_text "$due")" >"$table"

# The wrapper shell writes its pid and becomes the program, so the pid is the program's own.
# shellcheck disable=SC2016
XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime XDG_DATA_HOME=$tmp/data \
    XDG_STATE_HOME=$tmp/state XDG_CACHE_HOME=$tmp/cache \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    sh -c 'echo $$ >"$1/pid"; exec "$1/program/orvessa"' sh "$tmp" \
    >"$tmp/program.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$tmp/pid" ] && break
    sleep 0.1
done
program=$(cat "$tmp/pid")
alive() {
    if ! kill -0 "$program" 2>/dev/null; then
        echo "the program ended early; its output:" >&2
        cat "$tmp/program.log" >&2
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
display=$(pgrep -P "$xvfb" -x Xvfb 2>/dev/null || true)
if [ -z "$display" ]; then
    display=$(ps -e -o pid=,ppid=,comm= | awk -v root="$xvfb" '
        { parent[$1] = $2; name[$1] = $3 }
        END { for (p in parent) if (name[p] == "Xvfb") for (q = parent[p]; q > 1; q = parent[q]) if (q == root) print p }' | head -1)
fi

sleep "$settle"
alive
ns0=$(run_ns "$program")
sw0=$(switches "$program")
t0=$(ticks "$program")
x0=$([ -n "$display" ] && run_ns "$display" || echo 0)
start=$(date +%s.%N)
sleep "$seconds"
alive
ns1=$(run_ns "$program")
sw1=$(switches "$program")
t1=$(ticks "$program")
x1=$([ -n "$display" ] && run_ns "$display" || echo 0)
end=$(date +%s.%N)
rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$program/status")
count=$(threads "$program")
hz=$(getconf CLK_TCK)

awk -v ns="$((ns1 - ns0))" -v sw="$((sw1 - sw0))" -v t="$((t1 - t0))" -v hz="$hz" \
    -v x="$((x1 - x0))" -v from="$start" -v to="$end" -v rss="$rss" -v n="$count" \
    -v shown="$([ -n "$display" ] && echo yes || echo no)" 'BEGIN {
    wall = to - from
    printf "orvessa idle for %.1f s (%d threads), nothing playing\n", wall, n
    printf "  CPU: %.3f %% of a core (%.1f ms on a processor; %d clock ticks of %d Hz: %.3f %%)\n",
        100 * ns / 1e9 / wall, ns / 1e6, t, hz, 100 * t / hz / wall
    printf "  wake-ups: %.1f a second (%d context switches)\n", sw / wall, sw
    printf "  resident memory (VmRSS): %.1f MB\n", rss / 1024
    if (shown == "yes") {
        printf "  the virtual display (Xvfb) besides: %.3f %% of a core\n", 100 * x / 1e9 / wall
    }
}'
if [ -s "$tmp/program.log" ]; then
    echo "program output:"
    sed 's/^/  /' "$tmp/program.log"
fi
