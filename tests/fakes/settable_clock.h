#pragma once

#include "core/platform/clock.h"

namespace orvessa::fakes {

// A clock that stands still at whatever time the test sets.
class SettableClock : public platform::Clock {
public:
    SettableClock() = default;
    explicit SettableClock(platform::LocalDateTime at) : m_now(at) {}

    platform::LocalDateTime now() const override { return m_now; }

    void set(platform::LocalDateTime at) { m_now = at; }
    void setDate(int year, int month, int day) {
        m_now.year = year;
        m_now.month = month;
        m_now.day = day;
    }
    void setTime(int hour, int minute, int second, int millisecond = 0) {
        m_now.hour = hour;
        m_now.minute = minute;
        m_now.second = second;
        m_now.millisecond = millisecond;
    }

private:
    platform::LocalDateTime m_now;
};

}  // namespace orvessa::fakes
