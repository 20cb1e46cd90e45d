#!/usr/bin/env bash
# Fuzzes every parser of outside input: builds the targets of fuzz/ with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz, then runs each for SECONDS
# (default 60), two at a time, starting from its seeds in fuzz/<target>/. One line per target
# with its executions and result; exits non-zero on any crash, leak, timeout or broken property.
# What a run finds is left in build-fuzz/findings/<target>/; the inputs it grew, in
# build-fuzz/corpus/<target>/ (the seeds in the repository are never written).
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

source scripts/packages.sh
ensure_packages "${ORVESSA_CORE_PACKAGES[@]}" clang libclang-rt-14-dev

build=build-fuzz
generator=()
command -v ninja > /dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S fuzz -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
fi
cmake --build "$build" -j2

if [ $# -gt 0 ]; then
    targets=("$@")
else
    mapfile -t targets < <(find "$build" -maxdepth 1 -type f -name 'fuzz_*' -executable \
        -printf '%f\n' | sed 's/^fuzz_//' | sort)
fi

# fuzz_one TARGET: runs one target; its last line is the summary.
fuzz_one() {
    local target=$1
    local corpus=$build/corpus/$target findings=$build/findings/$target
    local log=$build/logs/$target.log
    mkdir -p "$corpus" "$findings" "$build/logs"
    local status=0
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" "fuzz/$target" > "$log" 2>&1 || status=$?
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    local result=ok
    if [ "$status" -ne 0 ]; then
        if grep -q 'ERROR: libFuzzer: timeout' "$log"; then
            result=TIMEOUT
        elif grep -q 'ERROR: LeakSanitizer' "$log"; then
            result=LEAK
        elif grep -q 'out-of-memory' "$log"; then
            result=OUT-OF-MEMORY
        else
            result=CRASH
        fi
        result="$result (exit $status, $log, inputs in $findings/)"
    fi
    printf '%-14s %12s runs  %s\n' "$target" "${runs:-0}" "$result"
}

echo "fuzzing ${#targets[@]} targets for ${seconds}s each, two at a time"
results=$build/logs/summary.txt
mkdir -p "$build/logs"
: > "$results"
# Two at a time: the machine's two cores.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    fuzz_one "${targets[i]}" >> "$results" &
    first=$!
    if [ $((i + 1)) -lt ${#targets[@]} ]; then
        fuzz_one "${targets[i + 1]}" >> "$results" &
        wait $!
    fi
    wait "$first"
    tail -n "$(( i + 1 < ${#targets[@]} ? 2 : 1 ))" "$results"
done

if grep -qv ' ok$' "$results"; then
    echo "findings: see above"
    exit 1
fi
echo "no findings"
