#include "core/scheduler/clock_watch.h"

#include <cstdio>

#include "core/text/time_text.h"

namespace orvessa::scheduler {
namespace {

bool trusted(const platform::ClockSyncState& state) {
    return state.synchronised && state.estimatedError.value_or(0.0) <= kMaxClockError;
}

}  // namespace

std::string clockWarningOf(const platform::ClockSyncState& state) {
    if (trusted(state)) {
        return {};
    }
    std::string warning = kClockWarning;
    if (state.networkTimeOn == false) {
        warning += kNetworkTimeOff;
    }
    return warning;
}

std::string clockRecordOf(const platform::ClockSyncState& state) {
    if (trusted(state)) {
        return "clock synchronised";
    }
    std::string line = "clock unsynchronised";
    if (state.networkTimeOn == false) {
        line += " ntp=off";
    } else if (state.networkTimeOn == true) {
        line += state.networkTimeReached == false ? " ntp=unreached" : " ntp=on";
    }
    if (state.estimatedError) {
        char error[32];
        std::snprintf(error, sizeof error, " error=%.1fs", *state.estimatedError);
        line += error;
    }
    return line;
}

ClockWatch::ClockWatch(ClockWatchControls controls, platform::ClockSyncProbe& probe,
                       const platform::Clock& clock, BroadcastRecord* record)
    : m_c(controls), m_probe(probe), m_clock(clock), m_record(record) {
    m_c.timer.setHandler([this] { check(); });
    m_c.timer.start(kInterval);
}

void ClockWatch::check() {
    const platform::ClockSyncState state = m_probe.read();
    const std::string warning = clockWarningOf(state);
    // A clock found right at start-up has nothing to report; one found wrong does.
    const bool recordIt = m_checked ? warning != m_c.session.clockWarning : !warning.empty();
    m_checked = true;
    if (!recordIt) {
        return;
    }
    m_c.session.clockWarning = warning;
    if (m_record != nullptr) {
        BroadcastEvent event;
        event.type = BroadcastEvent::Type::Clock;
        event.at = m_clock.now();
        event.reason = clockRecordOf(state);
        m_record->record(event);
    }
    changed.send();
}

}  // namespace orvessa::scheduler
