#!/bin/sh
# Resident memory of the real program: idle, after its first video, after its first web page.
# Runs the built orvessa under xvfb-run in a program directory of its own, with today's table
# holding a short MPEG video a few seconds after start and a local page after it, and reads
# VmRSS from /proc. Reports, does not judge.
#
# Usage: memory_bench.sh [program directory of a build, default ../build-bench/program]

set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build-bench/program}
for f in orvessa orvessa_webview.so; do
    if [ ! -f "$build/$f" ]; then
        echo "no $build/$f: build the targets orvessa and orvessa_webview first" >&2
        exit 2
    fi
done
for tool in xvfb-run gst-launch-1.0; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 2; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/orvessa-memory-XXXXXX")
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
mkdir -p "$prog/AUDIO" "$tmp/config" "$tmp/runtime"
chmod 700 "$tmp/runtime"
cp "$build/orvessa" "$build/orvessa_webview.so" "$prog/"

# The shipped configuration with the media library set, so that start-up asks nothing, and no
# weekday a stop day, so that the table plays whatever day it is. Byte for byte otherwise: the
# file is GBK with CR LF line ends.
LC_ALL=C awk -v library="$prog/AUDIO/" '
    { sub(/\r$/, "") }
    NR == 12 { $0 = library }
    NR >= 13 && NR <= 19 { $0 = "0" }
    { printf "%s\r\n", $0 }
' "$here/../resources/orvessa.sys" >"$prog/orvessa.sys"

# Three seconds of MPEG-2 program stream, and a page.
gst-launch-1.0 -q videotestsrc num-buffers=75 \
    ! video/x-raw,width=352,height=288,framerate=25/1,format=I420 \
    ! mpeg2enc format=1 ! mpegvideoparse ! mpegpsmux ! filesink location="$prog/AUDIO/clip.mpg"
cat >"$prog/AUDIO/page.htm" <<'EOF'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>memory bench</title></head>
<body style="background:#204060;color:white;font:48px sans-serif">
<h1>Orvessa memory bench</h1><p>A local page shown by a timed row.</p>
</body></html>
EOF

# Today's table: the video 12 s after start, the page 25 s after start.
clock_text() { date -d "@$1" +%-H:%M:%S; }
start=$(date +%s)
video_at=$((start + 12))
page_at=$((start + 25))
printf '1,%s,v,clip.mpg,,200,\r\n2,%s,w,page.htm,,200,\r\n' \
    "$(clock_text "$video_at")" "$(clock_text "$page_at")" >"$prog/zxsj$(date +%u).log"

# The wrapper shell writes its pid and becomes the program, so the pid is the program's own.
# shellcheck disable=SC2016
XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/runtime \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    sh -c 'echo $$ >"$1/pid"; exec "$1/program/orvessa"' sh "$tmp" \
    >"$tmp/program.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$tmp/pid" ] && break
    sleep 0.1
done
program=$(cat "$tmp/pid")

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$program/status" 2>/dev/null || echo 0; }
wait_until() {
    while [ "$(date +%s)" -lt "$1" ]; do
        if ! kill -0 "$program" 2>/dev/null; then
            echo "the program ended early; its output:" >&2
            cat "$tmp/program.log" >&2
            exit 1
        fi
        sleep 0.2
    done
}
mapped() { grep -c "$1" "/proc/$program/maps" 2>/dev/null || true; }
# The resident kilobytes of the program's descendants (the browser's helper processes).
descendants_rss() {
    ps -e -o pid=,ppid=,rss= | awk -v root="$program" '
        { parent[$1] = $2; rss[$1] = $3 }
        END {
            for (p in parent) {
                for (q = parent[p]; q != "" && q > 1; q = parent[q]) {
                    if (q == root) { total += rss[p]; break }
                }
            }
            print total + 0
        }'
}
# The eight files whose mappings hold the most resident memory, in MB.
largest_mappings() {
    awk '
        /^[0-9a-f]+-[0-9a-f]+ / { file = (NF >= 6 ? $6 : "[anonymous]") }
        /^Rss:/ { rss[file] += $2 }
        END { for (f in rss) printf "%8.1f MB  %s\n", rss[f] / 1024, f }
    ' "/proc/$program/smaps" | sort -rn | head -8
}

wait_until $((start + 5))
idle=$(rss)
# The clip plays for 3 s; read after it has ended and the window has settled.
wait_until $((video_at + 8))
after_video=$(rss)
decoder=$(mapped 'libgstmpeg2dec\|libgstlibav')
video_mappings=$(largest_mappings)
wait_until $((page_at + 12))
after_page=$(rss)
browser=$(mapped 'orvessa_webview.so')
helpers=$(descendants_rss)
page_mappings=$(largest_mappings)
peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$program/status")

kill "$program"
program_was=$program
program=
wait "$xvfb" 2>/dev/null || true
xvfb=

mb() { awk -v kb="$1" 'BEGIN { printf "%.1f MB", kb / 1024 }'; }
echo "orvessa resident memory (VmRSS), pid $program_was"
echo "  idle, 5 s after start:        $(mb "$idle")"
echo "  after the first video:        $(mb "$after_video")   (video decoder mapped: $([ "$decoder" -gt 0 ] && echo yes || echo no))"
echo "  after the first web page:     $(mb "$after_page")   (browser module mapped: $([ "$browser" -gt 0 ] && echo yes || echo no))"
echo "  peak (VmHWM):                 $(mb "$peak")"
echo "  the browser's helper processes besides, after the page: $(mb "$helpers")"
echo "largest resident mappings after the video:"
echo "$video_mappings"
echo "largest resident mappings after the page:"
echo "$page_mappings"
if [ -s "$tmp/program.log" ]; then
    echo "program output:"
    sed 's/^/  /' "$tmp/program.log"
fi
