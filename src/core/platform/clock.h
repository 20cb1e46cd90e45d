#pragma once

#include <chrono>

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
inline std::chrono::year_month_day dateOf(const LocalDateTime& t) {
    return {std::chrono::year(t.year), std::chrono::month(static_cast<unsigned>(t.month)),
            std::chrono::day(static_cast<unsigned>(t.day))};
}

// Local time now.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

}  // namespace orvessa::platform
