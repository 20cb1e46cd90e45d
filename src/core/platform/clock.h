#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace orvessa::platform {

// A local date and time of day.
struct LocalDateTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The date of a local time.
// The date as one number, year*10000 + month*100 + day: how records and the stop-day ticker
// keep and compare dates.
inline int dateNumber(const LocalDateTime& t) {
    return t.year * 10000 + t.month * 100 + t.day;
}

inline std::chrono::year_month_day dateOf(const LocalDateTime& t) {
    return {std::chrono::year(t.year), std::chrono::month(static_cast<unsigned>(t.month)),
            std::chrono::day(static_cast<unsigned>(t.day))};
}

// Local time now.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    // Milliseconds of a clock that runs on at a steady pace, from some fixed moment, whatever is
    // done to the time of day: it tells a clock set forward or back (a correction, a hand, a
    // change of summer time, a resume) from time that passed. None where there is no such clock.
    virtual std::optional<int64_t> steadyMillis() const { return std::nullopt; }
};

// The milliseconds of a local time as if the day had no time zone, for clocks that keep their
// steady time as an offset from it.
inline int64_t wallMillisOf(const LocalDateTime& t) {
    using namespace std::chrono;
    const auto days = sys_days{dateOf(t)}.time_since_epoch().count();
    return ((static_cast<int64_t>(days) * 24 + t.hour) * 60 + t.minute) * 60000 +
           static_cast<int64_t>(t.second) * 1000 + t.millisecond;
}

}  // namespace orvessa::platform
