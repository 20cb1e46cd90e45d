#!/usr/bin/env bash
# The service on a temporary program directory, with no display: it links no Qt; it rings three
# bells a few seconds apart each on its second, and a row whose start an operator moves through
# the console's API at its new time; systemd hears READY=1 and WATCHDOG=1 about every
# second, and no ping while the process is stopped; the web console serves when console.conf
# turns it on; SIGTERM ends it cleanly. Then the program
# directory's lock: a second service, and the desktop program in either order, are refused.
# The desktop part runs only when started under xvfb-run with xdotool at hand.
# Usage: station_service_test.sh STATION MAKE_DEMO CONFIG LISTENER CONSOLE [DESKTOP]
set -u
station=$1 make_demo=$2 config=$3 listener=$4 console=$5 desktop=${6:-}

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do
        kill -CONT "$p" 2>/dev/null
        kill -KILL "$p" 2>/dev/null
        { wait "$p"; } 2>/dev/null
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

# wait_for SECONDS COMMAND...: polls the command every tenth of a second.
wait_for() {
    local limit=$(($1 * 10))
    shift
    for _ in $(seq 1 "$limit"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

ldd "$station" | grep -i qt && fail "orvessa-station links Qt"
echo "orvessa-station links no Qt"

# Not across midnight: the bells must fall on today's table.
seconds=$((10#$(date +%H) * 3600 + 10#$(date +%M) * 60 + 10#$(date +%S)))
[ "$seconds" -gt 86340 ] && sleep $((86400 - seconds + 2))

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
export TMPDIR="$work/tmp"
mkdir -p "$HOME" "$TMPDIR" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
display=${DISPLAY:-}
unset DISPLAY WAYLAND_DISPLAY NOTIFY_SOCKET WATCHDOG_USEC WATCHDOG_PID QT_QPA_PLATFORM

program="$work/program"
"$make_demo" "$program" "$config" > "$work/demo.log" || fail "no demonstration directory"
table=$(ls "$program"/*.log | head -n 1)
[ -f "$table" ] || fail "the demonstration wrote no table"
# Three bells six seconds apart (the chime lasts three), the first a few seconds from now.
first=$(($(date +%s) + 7))
clock() { date -d "@$1" +%-H:%M:%S; }
# Then a document and a web page, which need a desktop.
echo notes > "$program/AUDIO/notes.txt"
{
    printf '1,%s,bell,chime.wav,,200,\r\n2,%s,bell,chime.wav,,200,\r\n' \
        "$(clock "$first")" "$(clock $((first + 6)))"
    printf '3,%s,bell,chime.wav,,200,\r\n4,%s,doc,notes.txt,,200,\r\n' \
        "$(clock $((first + 12)))" "$(clock $((first + 18)))"
    printf '5,%s,page,http://127.0.0.1:9/,,200,\r\n' "$(clock $((first + 20)))"
    # Far off: the operator moves it through the console.
    printf '6,%s,bell,chime.wav,,200,\r\n' "$(clock $((first + 600)))"
} > "$table"

# The console on the loopback, on a port of this run's own, read with a token.
port=$((20000 + $$ % 20000))
"$console" "$program" enable --port "$port" > /dev/null || fail "the console cannot be enabled"
token=$("$console" "$program" token add test --role viewer | tail -n 1)
office=$("$console" "$program" token add office --role operator | tail -n 1)

"$listener" "$work/notify.sock" 120 > "$work/notify.txt" &
pids+=($!)
wait_for 5 test -S "$work/notify.sock" || fail "no notify socket"

NOTIFY_SOCKET="$work/notify.sock" WATCHDOG_USEC=5000000 "$station" "$program" \
    > "$work/station.log" 2>&1 &
service=$!
pids+=("$service")
wait_for 20 grep -q 'READY=1' "$work/notify.txt" || fail "no READY=1"
echo "READY=1 received"

# The bells: each on its own second, in the day's as-run record.
asrun="$XDG_STATE_HOME/orvessa/as-run-$(date -d "@$first" +%Y-%m-%d).log"
rang() { grep -q " start table=.* row=3 " "$asrun" 2>/dev/null; }
now=$(date +%s)
wait_for $((first + 12 - now + 10)) rang || fail "the third bell is not in the as-run record"
for row in 1 2 3; do
    at=$(date -d "@$((first + (row - 1) * 6))" +%H:%M:%S)
    grep -q "^[0-9-]* $at start table=[^ ]* row=$row kind=media" "$asrun" ||
        fail "row $row did not start at $at: $(cat "$asrun")"
done
echo "three bells rang on their seconds"

# Without a display the document and the page are recorded, and nothing waits behind them.
shown() { grep -q "page not shown: http://127.0.0.1:9/: no display (passed over)" "$work/station.log"; }
now=$(date +%s)
wait_for $((first + 20 - now + 10)) shown || fail "the web page is not recorded as not shown"
grep -q "item not opened: .*notes.txt: the desktop refused" "$work/station.log" ||
    fail "the document is not recorded as not opened"
echo "the document and the web page are recorded as not shown"

status() {
    curl -s --max-time 2 -o "$work/status.json" -w '%{http_code}' \
        -H "Authorization: Bearer $token" "http://127.0.0.1:$port/api/status" | grep -qx 200
}
wait_for 10 status || fail "the console does not answer on port $port"
echo "the console serves"

# The office moves the last bell to a few seconds from now: the table is read and committed
# through the API with the editor's rules, and the bell rings at its new time.
number=$(basename "$table" .log)
number=${number#zxsj}
api() { curl -s --max-time 5 -H "Authorization: Bearer $office" "$@"; }
api "http://127.0.0.1:$port/api/tables/$number" > "$work/table.json"
version=$(grep -o '"version":"[^"]*"' "$work/table.json" | head -n 1 | cut -d '"' -f 4)
[ -n "$version" ] || fail "the table is not read through the console: $(cat "$work/table.json")"
moved=$(($(date +%s) + 6))
row() { printf '{"start":"%s","label":"%s","file":"%s","stop":"","volume":"200"}' "$@"; }
body="{\"version\":\"$version\",\"rows\":[$(row "$(clock "$first")" bell chime.wav),"
body+="$(row "$(clock $((first + 6)))" bell chime.wav),$(row "$(clock $((first + 12)))" bell chime.wav),"
body+="$(row "$(clock $((first + 18)))" doc notes.txt),"
body+="$(row "$(clock $((first + 20)))" page http://127.0.0.1:9/),"
body+="$(row "$(clock "$moved")" bell chime.wav)]}"
code=$(api -o "$work/commit.json" -w '%{http_code}' -X PUT -H 'Content-Type: application/json' \
    --data "$body" "http://127.0.0.1:$port/api/tables/$number")
[ "$code" = 200 ] || fail "the commit was refused with $code: $(cat "$work/commit.json")"
grep -q ' console .* table zxsj[0-9]*\.log rows=6' "$asrun" ||
    fail "the commit is not in the as-run record"
movedRang() { grep -q " start table=.* row=6 " "$asrun"; }
wait_for $((moved - $(date +%s) + 10)) movedRang || fail "the moved bell did not ring"
at=$(date -d "@$moved" +%H:%M:%S)
grep -q "^[0-9-]* $at start table=[^ ]* row=6 kind=media" "$asrun" ||
    fail "the moved bell did not ring at $at: $(grep 'row=6' "$asrun")"
grep -c " start table=.* row=[123] " "$asrun" | grep -qx 3 || fail "a bell rang twice after the commit"
echo "a start moved through the console rings at its new time"

pings() { grep -c ' WATCHDOG=1$' "$work/notify.txt"; }
start=$(pings)
sleep 3
before=$(($(pings) - start))
[ "$before" -ge 2 ] && [ "$before" -le 5 ] || fail "$before watchdog pings in 3 s"
kill -STOP "$service"
sleep 0.5
stopped=$(pings)
sleep 3
[ "$(pings)" -eq "$stopped" ] || fail "watchdog pings went on while the process was stopped"
kill -CONT "$service"
wait_for 5 test "$(pings)" -gt "$stopped" || fail "no watchdog ping after SIGCONT"
echo "watchdog pings: $before in 3 s, none while stopped, again after SIGCONT"

# A second service on the directory is refused, naming it.
"$station" "$program" > "$work/second.log" 2>&1
code=$?
[ "$code" -eq 3 ] || fail "a second service exited with $code"
grep -q "已在运行" "$work/second.log" && grep -qF "$program" "$work/second.log" ||
    fail "the second service's refusal does not say why"
kill -0 "$service" || fail "the first service did not survive the second"
echo "a second service is refused"

if [ -n "$desktop" ] && [ -n "$display" ] && command -v xdotool > /dev/null; then
    cp "$desktop" "$program/orvessa"
    # Service first: the desktop program says "Orvessa已经运行！" and ends once answered.
    DISPLAY=$display "$program/orvessa" > "$work/desktop-refused.log" 2>&1 &
    refused=$!
    pids+=("$refused")
    box=$(DISPLAY=$display timeout 30 xdotool search --sync --onlyvisible --name '^系统信息$' |
        head -n 1)
    [ -n "$box" ] || fail "the desktop program beside the service shows no message box"
    DISPLAY=$display xdotool windowfocus --sync "$box" key Return
    wait_for 10 eval '! kill -0 '"$refused"' 2>/dev/null' || fail "the refused desktop runs on"
    kill -0 "$service" || fail "the service did not survive the desktop's start"
    echo "the desktop program is refused while the service runs"
fi

kill -TERM "$service"
wait_for 10 eval '! kill -0 '"$service"' 2>/dev/null' || fail "SIGTERM did not end the service"
wait "$service"
code=$?
[ "$code" -eq 0 ] || fail "the service ended on SIGTERM with $code"
grep -q 'STOPPING=1' "$work/notify.txt" || fail "no STOPPING=1"
echo "SIGTERM ends the service cleanly"

if [ -n "$desktop" ] && [ -n "$display" ] && command -v xdotool > /dev/null; then
    # Desktop first: the service refuses, naming the directory.
    DISPLAY=$display "$program/orvessa" > "$work/desktop.log" 2>&1 &
    pids+=($!)
    DISPLAY=$display timeout 30 xdotool search --sync --onlyvisible --name 'Orvessa    VER 5.0' \
        > /dev/null || fail "the desktop program shows no main window"
    "$station" "$program" > "$work/after-desktop.log" 2>&1
    code=$?
    [ "$code" -eq 3 ] || fail "the service beside the desktop exited with $code"
    grep -q "已在运行" "$work/after-desktop.log" || fail "the service's refusal does not say why"
    echo "the service is refused while the desktop program runs"
else
    echo "desktop order not tried: no display or no xdotool"
fi
exit 0
