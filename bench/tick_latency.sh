#!/bin/bash
# How late the once-a-second beat comes after the wall-clock second, for the desktop's broadcast
# clock (orvessa_clock_bench: Qt loop, real system, no stalls), the service's ticker
# (orvessa_station_tick_bench: the station's GLib timer driver) and a bare process sleeping to
# 1 ms past each second (orvessa_bare_sleep_bench), the three at once, in three conditions:
#   quiet    nothing started besides them
#   busy     beside two busy processes
#   compile  beside three busy processes, a loop starting short-lived processes and a disk writer
# Each condition runs a few seconds (default 20) and every process started is ended by the end,
# also on an interrupt. Prints median, p95 and worst offset of each beat side by side (ms after
# the second; all three aim at 1 ms past it), and the desktop's first sound after a row's second.
# The machine's other work goes on: the figures say what it was (uptime) and do not judge.
#
# Usage: tick_latency.sh [bench directory of a build, default ../build/bench] [seconds, default 20]

set -eu

here=$(cd "$(dirname "$0")" && pwd)
benches=${1:-$here/../build/bench}
seconds=${2:-20}
if [ "$seconds" -lt 15 ] || [ "$seconds" -gt 300 ]; then
    echo "seconds: 15 to 300" >&2
    exit 2
fi
for f in orvessa_clock_bench orvessa_station_tick_bench orvessa_bare_sleep_bench; do
    if [ ! -x "$benches/$f" ]; then
        echo "no $benches/$f: build the target $f first" >&2
        exit 2
    fi
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/orvessa-ticks-XXXXXX")
# Every background job is started by setsid as the leader of a process group of its own, so that
# it goes with all it started (a disk writer's dd, a bench's children).
groups=()
stop_groups() {
    local g
    for g in "${groups[@]}"; do
        kill -TERM -- "-$g" 2>/dev/null || true
    done
    for g in "${groups[@]}"; do
        for _ in $(seq 30); do
            kill -0 -- "-$g" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL -- "-$g" 2>/dev/null || true
        wait "$g" 2>/dev/null || true
    done
    groups=()
}
cleanup() {
    set +e
    stop_groups
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_STATE_HOME=$tmp/state
export XDG_CACHE_HOME=$tmp/cache XDG_RUNTIME_DIR=$tmp/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=offscreen

start_busy() {
    setsid yes >/dev/null &
    groups+=($!)
}
# What a compile brings besides the compilers: many short processes and files written out.
start_compile_like() {

    for _ in 1 2 3; do
        start_busy
    done
    setsid sh -c 'while :; do /bin/true; done' &
    groups+=($!)
    # shellcheck disable=SC2016
    setsid sh -c 'while :; do dd if=/dev/zero of="$1" bs=1M count=64 conv=fsync 2>/dev/null; rm -f "$1"; done' \
        sh "$tmp/disk" &
    groups+=($!)
}

# stats FILE KIND: "median p95 worst" of the KIND lines, or "- - -".
stats() {
    awk -v kind="$2" '$1 == kind { print $2 }' "$1" 2>/dev/null | sort -g | awk '
        { v[++n] = $1 }
        END {
            if (n == 0) { print "- - -"; exit }
            m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
            r = int((95 * n + 99) / 100); if (r < 1) r = 1
            printf "%.2f %.2f %.2f\n", m, v[r], v[n]
        }'
}

results=$tmp/results
: >"$results"
run_condition() {
    local name=$1 dir=$tmp/$1 rc=0
    mkdir -p "$dir"
    case $name in
        busy) start_busy; start_busy ;;
        compile) start_compile_like ;;
    esac
    local benchgroups=()
    echo "$name: $(uptime)" | tee -a "$tmp/uptime"
    # The desktop bench starts its clock two seconds ahead; the others begin at once and run as
    # long, so that the three share their seconds. A hung one is ended after a bound.
    setsid timeout -k 5 $((seconds + 60)) "$benches/orvessa_clock_bench" "$seconds" 0 --no-stalls \
        "--offsets=$dir/desktop" >"$dir/desktop.log" 2>&1 &
    benchgroups+=($!)
    setsid timeout -k 5 $((seconds + 30)) "$benches/orvessa_station_tick_bench" $((seconds + 2)) \
        "$dir/service" >"$dir/service.log" 2>&1 &
    benchgroups+=($!)
    setsid timeout -k 5 $((seconds + 30)) "$benches/orvessa_bare_sleep_bench" $((seconds + 2)) \
        "$dir/bare" >"$dir/bare.log" 2>&1 &
    benchgroups+=($!)
    groups+=("${benchgroups[@]}")
    local g
    for g in "${benchgroups[@]}"; do
        wait "$g" || rc=$?
    done
    stop_groups
    for b in desktop service bare; do
        if [ ! -s "$dir/$b" ]; then
            echo "  $b bench gave no figures (exit $rc); its output:" >&2
            sed 's/^/    /' "$dir/$b.log" >&2
        fi
    done
    printf '%s %s %s %s %s\n' "$name" "$(stats "$dir/desktop" tick)" "$(stats "$dir/service" tick)" \
        "$(stats "$dir/bare" tick)" "$(stats "$dir/desktop" sound)" >>"$results"
}

echo "tick lateness after the wall-clock second, $seconds s per condition, three beats at once"
for condition in quiet busy compile; do
    run_condition "$condition"
done

echo
echo "offset after the second, ms: median / p95 / worst (all aim at 1 ms past the second)"
printf '%-8s  %-22s  %-22s  %-22s  %s\n' condition "desktop (Qt)" "service (GLib)" \
    "bare clock_nanosleep" "desktop first sound"
awk '{
    printf "%-8s  %-22s  %-22s  %-22s  %s / %s / %s\n", $1, $2 " / " $3 " / " $4,
        $5 " / " $6 " / " $7, $8 " / " $9 " / " $10, $11, $12, $13
}' "$results"
echo "processors: $(nproc); load at each start is above"
