#pragma once

#include <string>

#include "core/model/signal.h"
#include "core/model/timer.h"
#include "core/platform/clock.h"
#include "core/platform/clock_sync.h"
#include "core/playback/broadcast_session.h"
#include "core/scheduler/broadcast_record.h"

namespace orvessa::scheduler {

// The warning of a clock that may be wrong, as the status line's hints are written.
inline constexpr const char* kClockWarning = "  ☆ 系统时钟未与网络时间同步，铃声时间可能不准！";
// Added to the warning when network time is known to be switched off.
inline constexpr const char* kNetworkTimeOff = "（网络时间已关闭）";
// Beyond this estimated error, in seconds, a synchronised clock is not trusted either.
inline constexpr double kMaxClockError = 0.5;

// The warning `state` calls for; empty for a clock that can be trusted.
std::string clockWarningOf(const platform::ClockSyncState& state);
// The as-run words of `state`: "clock synchronised", or "clock unsynchronised" with what is
// known of why, such as " ntp=off error=1.2s".
std::string clockRecordOf(const platform::ClockSyncState& state);

struct ClockWatchControls {
    playback::BroadcastSession& session;  // its clockWarning is set and cleared
    model::Timer& timer;                  // the ten-minute reading
};

// Watches whether the PC's clock, which every bell follows, keeps the true time: reads the probe
// when asked and every ten minutes on its own timer, shows a warning while the clock may be
// wrong, and records each change of that state in the as-run record.
class ClockWatch {
public:
    static constexpr int kInterval = 600000;  // milliseconds

    // `record` may be null. Starts the timer; the first reading is check()'s.
    ClockWatch(ClockWatchControls controls, platform::ClockSyncProbe& probe,
               const platform::Clock& clock, BroadcastRecord* record);

    // Reads the probe now and shows what it says.
    void check();

    // The warning was set, changed or cleared.
    model::Signal<> changed;

private:
    ClockWatchControls m_c;
    platform::ClockSyncProbe& m_probe;
    const platform::Clock& m_clock;
    BroadcastRecord* m_record;
    bool m_checked = false;
};

}  // namespace orvessa::scheduler
