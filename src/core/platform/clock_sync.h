#pragma once

#include <optional>

namespace orvessa::platform {

// What the system knows of how well its clock keeps to the true time.
struct ClockSyncState {
    // Whether a time source keeps the clock in step.
    bool synchronised = true;
    // How far the clock is thought to be off, in seconds; none when the system does not say.
    std::optional<double> estimatedError;
    // Whether network time (NTP) is switched on, and whether it has reached its servers; none
    // where no time service answers.
    std::optional<bool> networkTimeOn;
    std::optional<bool> networkTimeReached;
};

// Reads the clock's synchronisation state.
class ClockSyncProbe {
public:
    virtual ~ClockSyncProbe() = default;
    // The state now. Runs on the user-interface thread at start-up and every ten minutes, never
    // on the clock's tick: returns within a fraction of a second and never throws; what cannot
    // be read is left unknown.
    virtual ClockSyncState read() = 0;
};

}  // namespace orvessa::platform
