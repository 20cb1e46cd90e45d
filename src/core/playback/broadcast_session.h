#pragma once

#include <string>

#include "core/playback/playback_state.h"
#include "core/store/day_plan.h"

namespace orvessa::playback {

// What the clock, the player, the now-playing display, the editor and the modes share while the
// system runs. The main window keeps it; its controls only show it.
struct BroadcastSession {
    PlaybackState playback;   // the current row and the running item
    ClockState clock;         // the clock's reading of the current row
    int weekday = 1;          // today's, Monday 1 .. Sunday 7
    std::string weekdayText;  // the decimal weekday as last computed
    // The table the grid holds, and whether its name follows the weekday.
    std::string tableFileName;
    bool autoNaming = true;
    // What today is for, as the last load of today's table decided it.
    store::DayPlan dayPlan;
    // Why the PC's clock, and so every bell, may be wrong ("  ☆ 系统时钟未与网络时间同步…");
    // empty while the clock is synchronised. The date line and the hints carry it.
    std::string clockWarning;
    bool unlocked = false;  // the operator has entered
};

}  // namespace orvessa::playback
