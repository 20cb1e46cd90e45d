#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "core/platform/clock_sync.h"

namespace orvessa::backends {

// What systemd's time service (org.freedesktop.timedate1) says of network time.
struct NetworkTimeState {
    bool on = false;       // its NTP property: network time is switched on
    bool reached = false;  // NTPSynchronized: the kernel clock is kept by it
};

// Asks the time service on the system bus, giving up after `timeout` however far the exchange
// got (no bus, a bus that does not answer, a service that is slow to start). None when there is
// no answer.
std::optional<NetworkTimeState> readNetworkTime(std::chrono::milliseconds timeout);

// The state a test or a screenshot asks for: "unsynchronised", "ntp-off" or "synchronised";
// none for any other text.
std::optional<platform::ClockSyncState> simulatedClockSync(std::string_view name);

// The kernel's own word on its clock (adjtimex, which needs no privilege, no D-Bus and works in
// a container), and, while it says the clock is not synchronised, the time service's on why.
class LinuxClockSync : public platform::ClockSyncProbe {
public:
    static constexpr std::chrono::milliseconds kBusTimeout{200};

    platform::ClockSyncState read() override;
};

}  // namespace orvessa::backends
