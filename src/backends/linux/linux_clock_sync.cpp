#include "backends/linux/linux_clock_sync.h"

#include <sys/timex.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace orvessa::backends {
namespace {

constexpr const char* kService = "org.freedesktop.timedate1";

std::chrono::steady_clock::time_point monotonicNow() {
    return std::chrono::steady_clock::now();
}

struct BusCloser {
    void operator()(sd_bus* bus) const {
        // Without a flush: a bus that does not take what is queued must not hold the caller.
        sd_bus_close_unref(bus);
    }
};

struct SlotReleaser {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};

struct PendingReply {
    bool done = false;
    std::optional<bool> on;
    std::optional<bool> reached;
};

// Reads the NTP and NTPSynchronized booleans out of a GetAll reply, a{sv}.
int takeProperties(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    auto& pending = *static_cast<PendingReply*>(userdata);
    pending.done = true;
    if (sd_bus_message_is_method_error(reply, nullptr) ||
        sd_bus_message_enter_container(reply, 'a', "{sv}") <= 0) {
        return 0;
    }
    while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read(reply, "s", &name) < 0 || name == nullptr) {
            return 0;
        }
        std::optional<bool>* target = std::strcmp(name, "NTP") == 0               ? &pending.on
                                      : std::strcmp(name, "NTPSynchronized") == 0 ? &pending.reached
                                                                                  : nullptr;
        int value = 0;
        if (target != nullptr && sd_bus_message_read(reply, "v", "b", &value) >= 0) {
            *target = value != 0;
        } else if (sd_bus_message_skip(reply, "v") < 0) {
            return 0;
        }
        if (sd_bus_message_exit_container(reply) < 0) {
            return 0;
        }
    }
    return 0;
}

}  // namespace

std::optional<NetworkTimeState> readNetworkTime(std::chrono::milliseconds timeout) {
    const auto deadline = monotonicNow() + timeout;
    sd_bus* opened = nullptr;
    // Opening only starts the connection; the exchange below runs against the deadline.
    if (sd_bus_open_system(&opened) < 0) {
        return std::nullopt;
    }
    const std::unique_ptr<sd_bus, BusCloser> bus(opened);
    PendingReply pending;
    sd_bus_slot* call = nullptr;
    if (sd_bus_call_method_async(bus.get(), &call, kService, "/org/freedesktop/timedate1",
                                 "org.freedesktop.DBus.Properties", "GetAll", takeProperties,
                                 &pending, "s", kService) < 0) {
        return std::nullopt;
    }
    // Released before the bus, so that the reply can never reach `pending` after this returns.
    const std::unique_ptr<sd_bus_slot, SlotReleaser> slot(call);
    while (!pending.done) {
        const int processed = sd_bus_process(bus.get(), nullptr);
        if (processed < 0) {
            return std::nullopt;
        }
        if (processed > 0) {
            continue;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - monotonicNow());
        if (left.count() <= 0 || sd_bus_wait(bus.get(), static_cast<uint64_t>(left.count())) < 0) {
            return std::nullopt;
        }
    }
    if (!pending.on || !pending.reached) {
        return std::nullopt;
    }
    return NetworkTimeState{*pending.on, *pending.reached};
}

std::optional<platform::ClockSyncState> simulatedClockSync(std::string_view name) {
    if (name == "unsynchronised") {
        return platform::ClockSyncState{false, std::nullopt, true, false};
    }
    if (name == "ntp-off") {
        return platform::ClockSyncState{false, std::nullopt, false, false};
    }
    if (name == "synchronised") {
        return platform::ClockSyncState{true, 0.0, true, true};
    }
    return std::nullopt;
}

platform::ClockSyncState LinuxClockSync::read() {
    // For tests and screenshots only: a machine whose clock is in any state on demand.
    if (const char* simulated = std::getenv("ORVESSA_TEST_CLOCK_SYNC"); simulated != nullptr) {
        if (auto state = simulatedClockSync(simulated)) {
            return *state;
        }
    }
    platform::ClockSyncState state;
    timex kernel{};
    kernel.modes = 0;  // read only
    if (ntp_adjtime(&kernel) < 0) {
        return state;
    }
    state.synchronised = (kernel.status & STA_UNSYNC) == 0;
    // An unsynchronised kernel's figures only grow towards their limit; they estimate nothing.
    if (state.synchronised) {
        state.estimatedError = static_cast<double>(kernel.esterror) / 1e6;
        return state;
    }
    // Only a clock found wrong needs the reason, and a healthy PC's time service is left asleep.
    if (const std::optional<NetworkTimeState> network = readNetworkTime(kBusTimeout)) {
        state.networkTimeOn = network->on;
        state.networkTimeReached = network->reached;
    }
    return state;
}

}  // namespace orvessa::backends
