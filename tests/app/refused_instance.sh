# Sourced by the instance tests, which define fail().
# expect_refused SECOND FIRST: the second instance's message has been answered; it ends by
# itself within ten seconds, with status 0, and the first instance goes on running.
expect_refused() {
    local second=$1 first=$2 code
    for _ in $(seq 1 100); do
        kill -0 "$second" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$second" 2>/dev/null && fail "the second instance is still running after its message"
    wait "$second"
    code=$?
    [ "$code" -eq 0 ] || fail "the second instance exited with $code"
    kill -0 "$first" 2>/dev/null || fail "the first instance did not survive the second start"
}
