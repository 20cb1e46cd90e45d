#include "backends/linux/linux_clock.h"

#include <sys/time.h>

#include <ctime>

namespace orvessa::backends {

platform::LocalDateTime LinuxClock::now() const {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    localtime_r(&ts.tv_sec, &local);
    return {local.tm_year + 1900,
            local.tm_mon + 1,
            local.tm_mday,
            local.tm_hour,
            local.tm_min,
            local.tm_sec,
            static_cast<int>(ts.tv_nsec / 1000000)};
}

std::optional<int64_t> LinuxClock::steadyMillis() const {
    timespec ts{};
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) {
        return std::nullopt;
    }
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace orvessa::backends
