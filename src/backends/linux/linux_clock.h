#pragma once

#include "core/platform/clock.h"

namespace orvessa::backends {

// Local time from the system clock and the time zone of the session.
class LinuxClock : public platform::Clock {
public:
    platform::LocalDateTime now() const override;
};

}  // namespace orvessa::backends
