#pragma once

#include "core/platform/clock_sync.h"

namespace orvessa::fakes {

// A clock whose synchronisation is whatever the test sets; counts its readings.
class FakeClockSync : public platform::ClockSyncProbe {
public:
    platform::ClockSyncState read() override {
        ++reads;
        return state;
    }

    platform::ClockSyncState state;
    int reads = 0;
};

}  // namespace orvessa::fakes
