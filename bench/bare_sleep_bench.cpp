// The floor under every once-a-second beat: a bare process that sleeps with clock_nanosleep
// (TIMER_ABSTIME, CLOCK_REALTIME) to 1 ms past each wall-clock second, as the programs' timers
// aim to wake, and notes how far past the second it woke. No loop, no library, default timer
// slack: what the kernel and the scheduler give anyone.
//
// Usage: orvessa_bare_sleep_bench [seconds (default 20)] [file for each wake-up's offset, in ms]
// Prints median, p95 and worst offset; with a file, writes one "tick MS" line per wake-up.

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int64_t kSecondNs = 1000000000;
constexpr int64_t kPastBoundaryNs = 1000000;

int64_t wallNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * kSecondNs + ts.tv_nsec;
}

double percentile(const std::vector<double>& sorted, int p) {
    // Nearest rank.
    const std::size_t rank = (static_cast<std::size_t>(p) * sorted.size() + 99) / 100;
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 20;
    if (argc > 3 || (argc > 1 && (seconds = std::atoi(argv[1])) < 2)) {
        std::fprintf(stderr, "usage: %s [seconds >= 2, default 20] [offsets file]\n", argv[0]);
        return 2;
    }
    std::vector<double> offsets;
    int64_t second = wallNs() / kSecondNs + 1;
    for (int i = 0; i < seconds; ++i, ++second) {
        const int64_t target = second * kSecondNs + kPastBoundaryNs;
        timespec at{static_cast<time_t>(target / kSecondNs), static_cast<long>(target % kSecondNs)};
        int rc = 0;
        while ((rc = clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &at, nullptr)) == EINTR) {
        }
        if (rc != 0) {
            std::fprintf(stderr, "clock_nanosleep failed: %d\n", rc);
            return 1;
        }
        const int64_t woke = wallNs();
        offsets.push_back(static_cast<double>(woke % kSecondNs) / 1e6);
        // A wake-up held past a whole second goes on from the second it woke in.
        second = std::max(second, woke / kSecondNs);
    }
    if (argc > 2) {
        FILE* file = std::fopen(argv[2], "w");
        if (file == nullptr) {
            std::perror(argv[2]);
            return 1;
        }
        for (const double o : offsets) {
            std::fprintf(file, "tick %.3f\n", o);
        }
        std::fclose(file);
    }
    std::sort(offsets.begin(), offsets.end());
    std::printf(
        "bare sleep: %zu wake-ups, offset after the second: median %.3f ms, p95 %.3f ms, "
        "worst %.3f ms\n",
        offsets.size(), percentile(offsets, 50), percentile(offsets, 95), offsets.back());
    return 0;
}
