#pragma once

#include "core/platform/clock.h"

namespace orvessa::fakes {

// A clock that stands still at whatever time the test sets. Its steady time follows every
// setting, as if that much time had passed, except a jump, which moves the time of day alone.
class SettableClock : public platform::Clock {
public:
    SettableClock() = default;
    explicit SettableClock(platform::LocalDateTime at) : m_now(at) {}

    platform::LocalDateTime now() const override { return m_now; }
    std::optional<int64_t> steadyMillis() const override {
        return platform::wallMillisOf(m_now) - m_jumpedMillis;
    }

    // The time of day moves to `at`, as a clock set by hand or by a correction would.
    void jumpTo(platform::LocalDateTime at) {
        m_jumpedMillis += platform::wallMillisOf(at) - platform::wallMillisOf(m_now);
        m_now = at;
    }

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
    int64_t m_jumpedMillis = 0;
};

}  // namespace orvessa::fakes
