#include "core/scheduler/timer_failures.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/recording_failure_record.h"
#include "fakes/settable_clock.h"

namespace orvessa::scheduler {
namespace {

std::vector<std::string> details(const fakes::RecordingFailureRecord& record) {
    std::vector<std::string> out;
    for (const platform::Failure& f : record.failures) {
        EXPECT_EQ(f.what, "timer handler failed");
        out.push_back(f.detail);
    }
    return out;
}

TEST(TimerFailures, EachTimerRecordsOneLineAMinuteAtMost) {
    fakes::SettableClock clock({2026, 12, 9, 8, 0, 0});
    fakes::RecordingFailureRecord record;
    // Two timers of one name in different windows, and one that never fails.
    model::Timer clockTimer("broadcastTimer");
    model::Timer videoTimer("keyTimer");
    model::Timer quiet("Timer2");
    int runs = 0;
    clockTimer.setHandler([&] {
        ++runs;
        throw std::runtime_error("zero length");
    });
    videoTimer.setHandler([] { throw std::runtime_error("no media"); });
    quiet.setHandler([] {});
    recordTimerFailures(
        record, clock,
        {{"MainWindow", clockTimer}, {"VideoWindow", videoTimer}, {"MainWindow", quiet}});

    for (model::Timer* t : {&clockTimer, &videoTimer, &quiet}) {
        t->fire();
    }
    clock.setTime(8, 0, 30);
    clockTimer.fire();
    clock.setTime(8, 0, 59);
    clockTimer.fire();
    EXPECT_EQ(details(record), (std::vector<std::string>{"MainWindow.broadcastTimer: zero length",
                                                         "VideoWindow.keyTimer: no media"}));

    // A minute after its last line, and again after the clock was set back.
    clock.setTime(8, 1, 0);
    clockTimer.fire();
    clock.setTime(7, 30, 0);
    clockTimer.fire();
    EXPECT_EQ(runs, 5) << "the timer went on firing";
    EXPECT_EQ(details(record).size(), 4u);
}

}  // namespace
}  // namespace orvessa::scheduler
