#pragma once

#include <string>

#include "core/playback/playback_state.h"
#include "core/store/day_plan.h"

namespace orvessa::playback {

enum class OperatingMode {
    Manual,     // the operator edits; the clock does not run the table
    Automatic,  // the clock runs today's table
};

// The stop-day ticker's state: whether today broadcasts nothing, the date the ticker runs for
// (platform::dateNumber, 0 for none) and its count of seconds.
struct StopDayState {
    bool today = false;
    int date = 0;
    int count = 0;
};

// What silences or pauses the timetable: an emergency, or a notice playing over the day.
// Written by the alerts alone; the clock reads it.
struct AlertState {
    bool emergency = false;
    std::string emergencySince;  // "2026-12-11 10:00:30"
    std::string emergencyBy;     // "operator@console:10.1.2.3"
    std::string notice;          // the notice playing now; empty for none
    bool noticePlaying() const { return !notice.empty(); }
};

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
    // Written by the operating modes alone. As the window is designed "自动播出" is not offered,
    // which is what automatic operation means, until the start-up enters it.
    OperatingMode mode = OperatingMode::Automatic;
    bool manual() const { return mode == OperatingMode::Manual; }
    // Edits in the grid not yet saved; written by the grid editor alone. Saving is offered as
    // the window is designed, until the start-up has loaded the day's table.
    bool unsaved = true;
    AlertState alert;
};

}  // namespace orvessa::playback
