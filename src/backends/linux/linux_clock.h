#pragma once

#include "core/platform/clock.h"

namespace orvessa::backends {

// Local time from the system clock and the time zone of the session.
class LinuxClock : public platform::Clock {
public:
    platform::LocalDateTime now() const override;
    // CLOCK_MONOTONIC: it stands still through a suspend, so a resume reads as the time of day
    // moving forward, which it is for the bells.
    std::optional<int64_t> steadyMillis() const override;
};

}  // namespace orvessa::backends
