#pragma once

#include <initializer_list>
#include <string>

#include "core/model/timer.h"
#include "core/platform/clock.h"
#include "core/platform/failure_record.h"

namespace orvessa::scheduler {

// A window timer and the name of the window that owns it: it says whose timer failed.
struct OwnedTimer {
    std::string owner;
    model::Timer& timer;
};

// Records in `record` what the handlers of `timers` throw, as "timer handler failed" with the
// detail "<owner>.<timer>: <what>". A handler that fails on every tick would fill the record, so
// each timer records one line a minute at most, by `clock`; the failures in between are dropped.
// `record` and `clock` must outlive the timers.
void recordTimerFailures(platform::FailureRecord& record, const platform::Clock& clock,
                         std::initializer_list<OwnedTimer> timers);

}  // namespace orvessa::scheduler
