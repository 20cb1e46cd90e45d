#include "dryrun/zone_steps.h"

#include <ctime>

namespace orvessa::dryrun {
namespace {

// The zone's offset from UTC in seconds at the instant `t`.
int64_t offsetAt(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return local.tm_gmtoff;
}

}  // namespace

std::map<int64_t, int64_t> zoneSteps(int64_t fromLocal, int64_t toLocal) {
    tzset();
    std::map<int64_t, int64_t> steps;
    // Local seconds lie within a day of the UTC seconds they stand for; every zone's steps are
    // at least hours apart, so an hourly look finds each, and halving finds its second.
    constexpr int64_t kMargin = 26 * 3600;
    constexpr int64_t kStride = 3600;
    for (int64_t t = fromLocal - kMargin; t < toLocal + kMargin; t += kStride) {
        const int64_t before = offsetAt(static_cast<std::time_t>(t));
        if (offsetAt(static_cast<std::time_t>(t + kStride)) == before) {
            continue;
        }
        // The first instant of the new offset lies in (low, high].
        int64_t low = t;
        int64_t high = t + kStride;
        while (high - low > 1) {
            const int64_t mid = low + (high - low) / 2;
            (offsetAt(static_cast<std::time_t>(mid)) == before ? low : high) = mid;
        }
        const int64_t after = offsetAt(static_cast<std::time_t>(high));
        // The wall clock would have read `high + before` and reads `high + after` instead.
        const int64_t at = high + before;
        if (at >= fromLocal && at <= toLocal) {
            steps.emplace(at, after - before);
        }
    }
    return steps;
}

}  // namespace orvessa::dryrun
