#!/bin/bash
# The built program, with its real clock, media device and window, under Xvfb: today's table
# rings a chime every 20 s with a tune chained behind each, while the whole process is frozen
# (SIGSTOP, then SIGCONT) for 0.2 to 1.5 s every 2 to 8 s and a busy loop takes one core. The
# as-run record must show every timed row started on its own second and every chained row
# started. Everything lives in a temporary directory; the only processes signalled are the
# ones this script starts.
#
# Usage: bench/freeze_soak.sh [BUILD_DIR] [MINUTES]   (defaults: build, 25)
# Prints the timed rows on their second, the chained rows started, the freezes and the chimes
# that fell due inside one. Exits non-zero unless every timed row started on its second.
set -euo pipefail

build=$(realpath "${1:-build}")
minutes=${2:-25}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/orvessa-freeze-XXXXXX)
program_pid=""
busy_pid=""

cleanup() {
    [[ -n $busy_pid ]] && kill "$busy_pid" 2>/dev/null || true
    if [[ -n $program_pid ]]; then
        kill -CONT "$program_pid" 2>/dev/null || true
        kill "$program_pid" 2>/dev/null || true
    fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/config" "$work/runtime" "$work/state"
chmod 700 "$work/runtime"
"$build/program/orvessa-make-demo" "$work/program" "$source_dir/resources/orvessa.sys" >/dev/null
cp "$build/program/orvessa" "$build/program/orvessa_webview.so" "$work/program/"
table=$(ls "$work/program"/zxsj*.log)

# A chime every 20 s from 100 s on (the program's start-up has settled by then), a tune behind it.
first=$(($(date +%s) + 100))
groups=$((minutes * 3))
: >"$table"
for ((g = 0; g < groups; g++)); do
    at=$((first + 20 * g))
    printf '%d,%s,chime,chime.wav,,200,\r\n%d,,tune,tune.wav,,200,\r\n' \
        $((2 * g + 1)) "$(date -d "@$at" +%-H:%M:%S)" $((2 * g + 2)) >>"$table"
done
last_end=$((first + 20 * (groups - 1) + 20))

(
    cd "$work/program"
    exec env XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
        XDG_STATE_HOME="$work/state" QTWEBENGINE_DISABLE_SANDBOX=1 \
        xvfb-run -a -s "-screen 0 1024x768x24" "$work/program/orvessa"
) >"$work/program.log" 2>&1 &
for _ in $(seq 50); do
    program_pid=$(pgrep -f "^$work/program/orvessa" || true)
    [[ -n $program_pid ]] && break
    sleep 0.2
done
if [[ -z $program_pid ]]; then
    echo "the program did not start:" >&2
    cat "$work/program.log" >&2
    exit 2
fi

(while :; do :; done) &
busy_pid=$!

freezes=0
frozen_ms=0
: >"$work/freezes"
while (($(date +%s) < last_end)); do
    sleep "$((2 + RANDOM % 6)).$((RANDOM % 10))"
    length_ms=$((200 + RANDOM % 1301))
    echo "$(date +%s%3N) $length_ms" >>"$work/freezes"
    kill -STOP "$program_pid"
    sleep "$((length_ms / 1000)).$(printf '%03d' $((length_ms % 1000)))"
    kill -CONT "$program_pid"
    freezes=$((freezes + 1))
    frozen_ms=$((frozen_ms + length_ms))
done
sleep 2

record="$work/state/orvessa/as-run-$(date +%Y-%m-%d).log"
if [[ ! -f $record ]]; then
    echo "no as-run record" >&2
    exit 2
fi

# Timed rows: the first start of each against its cell; chained rows: started or not.
status=0
awk -v freezes="$work/freezes" -v day="$(date +%Y-%m-%d)" '
    function seconds(t,   p) { split(t, p, ":"); return p[1] * 3600 + p[2] * 60 + p[3] }
    BEGIN {
        while ((getline line < freezes) > 0) {
            split(line, f, " "); n++; from[n] = f[1]; to[n] = f[1] + f[2]
        }
        command = "date -d " day " +%s"
        command | getline midnight
    }
    FNR == NR {
        split($0, cell, ",")
        sub(/\r$/, "", cell[2])
        if (cell[2] != "") { due[cell[1] + 0] = cell[2] } else { chained[cell[1] + 0] = 1 }
        next
    }
    $3 == "start" {
        match($0, /row=[0-9]+/)
        row = substr($0, RSTART + 4, RLENGTH - 4) + 0
        if (!(row in started)) { started[row] = $2 }
    }
    END {
        for (row in due) {
            timed++
            if (!(row in started)) { missing++; continue }
            if (seconds(started[row]) == seconds(due[row])) { onTime++ } else {
                late++; printf "row %d due %s started %s\n", row, due[row], started[row]
            }
            ms = (midnight + seconds(due[row])) * 1000
            for (i = 1; i <= n; i++) { if (ms >= from[i] && ms <= to[i]) { inside++; break } }
        }
        for (row in chained) { chains++; if (row in started) { chainsStarted++ } }
        printf "timed rows %d: %d on their second, %d at another, %d not started (%d fell due inside a freeze)\n",
            timed, onTime, late, missing, inside
        printf "chained rows %d: %d started\n", chains, chainsStarted
        exit (onTime == timed && chainsStarted == chains) ? 0 : 1
    }
' "$table" "$record" || status=$?
echo "freezes $freezes, $((frozen_ms / 1000)) s in all"
exit $status
