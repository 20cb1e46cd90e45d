#pragma once

#include <optional>
#include <string>

#include "core/platform/clock.h"

namespace orvessa::platform {

// Where the system leaves the time at which the PC should power itself on, for the part that
// sets the real-time clock's alarm when the PC shuts down.
class WakeAlarm {
public:
    virtual ~WakeAlarm() = default;
    // Keeps `at` (local time) as the next wake time; none removes it. What went wrong, in the
    // operator's words; empty on success.
    virtual std::string keep(const std::optional<LocalDateTime>& at) = 0;
    // Why a kept time would not power the PC on (no alarm in the clock, the shutdown part not
    // installed or not enabled), in the operator's words; empty when it would.
    virtual std::string unavailable() const = 0;
};

}  // namespace orvessa::platform
