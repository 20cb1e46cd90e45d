#pragma once

#include <functional>
#include <string>

#include "core/model/control.h"
#include "core/model/timer.h"
#include "core/platform/clock.h"
#include "core/platform/system_services.h"
#include "core/playback/broadcast_session.h"
#include "core/store/live_settings.h"
#include "core/store/schedule_table.h"
#include "core/store/system_config.h"

namespace orvessa::playback {
class ItemPlayer;
}

namespace orvessa::scheduler {

struct EndOfDayControls {
    model::TextLine& statusLine;
    model::TextLine& hintLine;
    model::TextLine& stopDayLine;
    const store::ScheduleTable& table;  // the station's
    model::Timer& ticker;               // the station's beat, which ticks the broadcast clock
    model::Timer& stopDayTimer;         // the stop-day ticker
};

struct EndOfDayState {
    const store::SystemConfig& config;
    playback::BroadcastSession& session;
    playback::StopDayState& stopDay;
    // The date on which automatic operation last loaded today's table.
    const int& automaticDate;
};

// What the end of the day asks of the rest of the system.
struct EndOfDayActions {
    std::function<void()> quit;
    std::function<void()> enterAutomaticOperation;
    // Loads today's table, as a start-up on this day does.
    std::function<void()> loadTodaysTable;
    // What a new date is for, decided as at start-up (the calendar read again first).
    std::function<store::DayPlan(const platform::LocalDateTime&)> planNewDay;
    // Returns once what the system has written (the as-run record's last lines included) is on
    // the disk; may be empty.
    std::function<void()> flushWrites = {};
};

// What follows the last row, the custom shutdown times, the stop-day ticker, and the shutdown of
// the computer.
class EndOfDay {
public:
    EndOfDay(EndOfDayControls controls, EndOfDayState state, const platform::Clock& clock,
             platform::Power& power, EndOfDayActions actions);

    // The options' live choices, which the clock reads; set once the options dialog edits them.
    // Until then the configuration's end-of-day action holds and the custom times are off.
    void setSettings(const store::LiveSettings* settings) { m_settings = settings; }
    void setPlayer(playback::ItemPlayer* player) { m_player = player; }

    // End-of-table handling; true when the tick ends there.
    bool endOfTable();
    void customShutdownCheck();
    // The countdown before the shutdown after the table; true when it is shown.
    bool showCountdown();
    // The first tick of a new date at which nothing plays starts the new day's table, and the
    // tick goes on with it; or it starts the stop-day ticker when the new day is a stop day, and
    // returns true: the tick ends there.
    bool newDayCheck(const platform::LocalDateTime& at);
    void stopDayTick();
    void powerOff();

private:
    store::EndOfDayAction liveAction() const;
    // Stops broadcasting for the rest of a day that turned out to be a stop day.
    void enterStopDay(const platform::LocalDateTime& day);

    EndOfDayControls m_c;
    EndOfDayState m_s;
    const platform::Clock& m_clock;
    platform::Power& m_power;
    EndOfDayActions m_actions;
    const store::LiveSettings* m_settings = nullptr;
    playback::ItemPlayer* m_player = nullptr;
};

}  // namespace orvessa::scheduler
