#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "clock_scenario.h"
#include "fakes/recording_failure_record.h"

namespace orvessa::scheduler {
namespace {

// The system records a failing tick of the broadcast clock once, and the clock ticks on.
class TimerFailureScenario : public ClockScenario {
protected:
    TimerFailureScenario() { failures = &record; }
    ~TimerFailureScenario() override { m_system.reset(); }
    fakes::RecordingFailureRecord record;
};

TEST_F(TimerFailureScenario, AFailingTickIsRecordedOnceAndTheClockTicksOn) {
    media("bell.wav", 180);
    start({{"08:00:00", "bell.wav", ""}}, "07:59:50");
    runUntil("08:00:05");
    // The device fails to report its position for a while.
    auto position = m_device.now;
    m_device.now = []() -> int64_t { throw std::runtime_error("device gone"); };
    runUntil("08:00:20");
    m_device.now = position;
    runUntil("08:03:30");
    // Fifteen failing ticks, one line; the bell plays on and ends on its second.
    ASSERT_EQ(record.failures.size(), 1u);
    EXPECT_EQ(record.failures[0].what, "timer handler failed");
    EXPECT_EQ(record.failures[0].detail, "station.ticker: device gone");
    EXPECT_EQ(log, (Log{"08:00:00 open bell.wav", "08:03:01 end"}));
    EXPECT_EQ(form().clockText.text(), "8:03:30");
}

}  // namespace
}  // namespace orvessa::scheduler
