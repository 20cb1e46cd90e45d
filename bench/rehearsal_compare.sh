#!/bin/sh
# Rehearses the same program directories with two builds of orvessa-rehearse and prints every
# line in which their output differs: what a change to the clock's rules does to real days.
# The directories are made from a seed (python3): weekday tables of timed and untimed rows, stop
# times, rows that meet on the same second, folders, missing files and empty rows; each is
# rehearsed for one day and checked with --check. Identical output prints only the totals.
#
# Usage: rehearsal_compare.sh OLD_REHEARSE NEW_REHEARSE [directories, default 200] [seed, default 1]

set -eu

old=$1
new=$2
count=${3:-200}
seed=${4:-1}
for f in "$old" "$new"; do
    [ -x "$f" ] || { echo "not a program: $f" >&2; exit 2; }
done
command -v python3 >/dev/null || { echo "python3 is missing" >&2; exit 2; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/orvessa-compare-XXXXXX")
trap 'rm -rf "$tmp"' EXIT INT TERM

python3 - "$tmp" "$count" "$seed" <<'PY'
import os, random, sys
root, count, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(seed)
def hms(s):
    return "%02d:%02d:%02d" % (s // 3600, s // 60 % 60, s % 60)
for n in range(count):
    d = os.path.join(root, "d%04d" % n)
    os.makedirs(os.path.join(d, "AUDIO", "folder"))
    for name in ("bell.wav", "music.wav", "song.wav", "folder/1.wav", "folder/2.wav"):
        open(os.path.join(d, "AUDIO", name), "wb").write(b"x")
    entries = ["0"] * 27
    entries[2] = entries[3] = "  :  :  "
    entries[5] = "3"
    entries[6] = "1"
    entries[11] = os.path.join(d, "AUDIO") + "/"
    open(os.path.join(d, "orvessa.sys"), "wb").write(("\r\n".join(entries) + "\r\n").encode())
    t = 8 * 3600 + rng.randrange(0, 60)
    lines = []
    for row in range(1, rng.randrange(4, 30)):
        kind = rng.random()
        item = rng.choice(["bell.wav", "music.wav", "song.wav", "folder/", "gone.wav", ""])
        start = stop = ""
        if kind < 0.55:
            t += rng.choice([0, 1, 2, 5, 10, 30, 60, 300, 600])
            start = hms(t)
            if rng.random() < 0.35:
                stop = hms(t + rng.choice([1, 10, 30, 60, 300, 900]))
                if rng.random() < 0.5:
                    t = t + (int(stop[0:2]) * 3600 + int(stop[3:5]) * 60 + int(stop[6:8]) - t)
        elif kind < 0.7:
            stop = hms(t + rng.choice([10, 60, 300]))
        lines.append("%d,%s,课,%s,%s,," % (row, start, item, stop))
    table = ("\r\n".join(lines) + "\r\n").encode("gbk")
    open(os.path.join(d, "zxsj1.log"), "wb").write(table)
PY

changed=0
days=0
for d in "$tmp"/d*; do
    for mode in day check; do
        if [ $mode = day ]; then
            set -- --start "2026-12-14 07:59:00" --end "2026-12-14 12:00:00"
        else
            set -- --check --date 2026-12-14
        fi
        "$old" "$d" "$@" --length bell.wav=5 --length music.wav=120 --length song.wav=30 \
            --length 1.wav=20 --length 2.wav=20 >"$tmp/old" 2>&1 || true
        "$new" "$d" "$@" --length bell.wav=5 --length music.wav=120 --length song.wav=30 \
            --length 1.wav=20 --length 2.wav=20 >"$tmp/new" 2>&1 || true
        sed -i "s|$d|DIR|g" "$tmp/old" "$tmp/new"
        days=$((days + 1))
        if ! cmp -s "$tmp/old" "$tmp/new"; then
            changed=$((changed + 1))
            echo "== $(basename "$d") $mode"
            diff "$tmp/old" "$tmp/new" | grep '^[<>]' || true
        fi
    done
done
echo "runs=$days changed=$changed"
