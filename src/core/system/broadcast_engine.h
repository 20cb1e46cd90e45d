#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/model/control.h"
#include "core/model/signal.h"
#include "core/model/timer.h"
#include "core/platform/clock.h"
#include "core/platform/failure_record.h"
#include "core/platform/host.h"
#include "core/playback/broadcast_session.h"
#include "core/scheduler/broadcast_record.h"
#include "core/store/live_settings.h"
#include "core/store/schedule_table.h"
#include "core/store/system_config.h"

namespace orvessa::system {

using playback::OperatingMode;
using playback::StopDayState;

// "manual" or "automatic", as status texts and records write the mode.
const char* modeWord(OperatingMode mode);

// The row the clock starts next by its time.
struct NextBell {
    int row = 0;
    std::string time;  // the start cell as the clock compares it
    std::string label;
    std::string file;
};

// The item running now.
struct RunningItem {
    int row = 0;
    std::string label;
    playback::ItemKind kind = playback::ItemKind::None;
    std::optional<std::int64_t> positionMs;
    std::optional<std::int64_t> lengthMs;
};

// What became of a row of a table today, as the clock and the player decided it: started (with
// its second), missing, or left with the reason and the row that held it.
struct RowOutcome {
    scheduler::BroadcastEvent::Type type = scheduler::BroadcastEvent::Type::Started;
    int second = 0;  // of the day
    std::string reason;
    int byRow = 0;
    std::string path;
};

// The lines the main window shows under its grid: what the system says it is doing.
enum class StatusLine {
    Status,  // the first line of the now-playing box: the mode, the item playing, a warning
    Hint,    // its second line: hints, notices and the end of the day's countdown
    Date,    // the date and weekday, or the stop day's line
    Clock,   // the time of day the clock last ticked
};

// An emergency that is on: since when and who started it ("operator@console:10.1.2.3").
struct EmergencyStatus {
    std::string since;  // "2026-12-11 10:00:30"
    std::string by;
};

// What the system is doing, as a plain value any view or client can keep.
struct EngineStatus {
    std::optional<platform::LocalDateTime> lastTick;  // the second the clock last ticked
    OperatingMode mode = OperatingMode::Automatic;
    store::DayPlan plan;  // today's, with the calendar entry or stop reason that decided it
    std::string table;    // the file name of the table the clock runs
    std::optional<NextBell> nextBell;
    std::optional<RunningItem> playing;
    bool stopDay = false;
    bool locked = true;
    std::string clockWarning;  // empty while the clock keeps the true time
    bool unsaved = false;
    std::optional<platform::Failure> lastFailure;
    std::string statusLine;  // the two lines of the now-playing box, as the window shows them
    std::string hintLine;
    std::optional<EmergencyStatus> emergency;  // none while there is no emergency
    std::string notice;                        // the notice playing now; empty for none
};

// Something the running system did, for its listeners: an event of the day's broadcast (what
// the as-run record writes), or a change of the mode or of the table.
struct EngineEvent {
    enum class Kind {
        Broadcast,           // `broadcast` says what
        ModeChanged,         // to `mode`
        TableLoaded,         // `table` is in the grid, as its file holds it
        TableSaved,          // `table` was written from the grid
        ClockHealthChanged,  // the clock watch found the clock's warning changed
        LineChanged,         // `line` says another text or colour
        AlertChanged,        // an emergency or a notice began or ended
    };
    Kind kind = Kind::Broadcast;
    scheduler::BroadcastEvent broadcast;
    StatusLine line = StatusLine::Status;
    OperatingMode mode = OperatingMode::Automatic;
    std::string table;
};

class OrvessaSystem;

// What carries out the station's commands: the subsystems the assembly built, each command one
// call. A member left empty refuses its command.
struct StationCrew {
    std::function<void()> enterAutomatic;  // asks the save question first, as the rules do
    std::function<void()> enterManual;
    std::function<void(int row)> playRow;  // row `row` of the draft, by hand
    std::function<void()> stop;
    std::function<void(int number)> forceWeekday;  // 0 follows the calendar, 1..7 a weekday
    std::function<bool(const std::string& by)> startEmergency;
    std::function<bool(const std::string& by)> endEmergency;
};

// The station: the running system as one object, what decides the day and what the day has
// done. Each piece of its state has one writer, named at its accessor; the assembly that builds
// the writers hands each its piece, and everyone else reads through the const accessors or
// status(), and asks for changes through the commands. What the broadcast does reaches every
// listener of events().
class BroadcastEngine : public scheduler::BroadcastRecord, public platform::FailureRecord {
public:
    // `itemDirectory` is where relative cells are read from, when not the program directory.
    // `failures` receives every failure the subsystems record; none for no record.
    BroadcastEngine(std::filesystem::path programDirectory, std::filesystem::path itemDirectory,
                    platform::Host& host, platform::FailureRecord* failures);

    const std::filesystem::path& programDirectory() const { return m_programDirectory; }
    // The program directory as text, ending in a separator.
    const std::string& programDirectoryText() const { return m_programDirectoryText; }
    // Where a relative path in a cell or the library entry is read from, ending in a separator.
    const std::string& itemDirectoryText() const { return m_itemDirectoryText; }
    // The media library folder as the files are reached.
    std::string libraryDirectory() const;

    // Written by the start-up, the options and the dialogs that edit it.
    const store::SystemConfig& config() const { return m_config; }
    // Writes the configuration, telling the operator when that fails. Returns success.
    bool saveConfiguration();
    // Written by the options dialog; the second-monitor choice by the window's check box.
    const store::LiveSettings& settings() const { return m_settings; }
    // The current row, the running item and the clock's bookkeeping: written by the clock, the
    // player and the modes, each its own fields (see BroadcastSession).
    const playback::BroadcastSession& session() const { return m_session; }

    // The station's once-a-second beat: a port its platform drives (a Qt timer on the desktop,
    // GLib's loop in the service, simulated time in the rehearsal), started and stopped by the
    // modes, the start-up and the end of the day alone. Its handler ticks the clock.
    model::Timer& ticker() { return m_ticker; }
    const model::Timer& ticker() const { return m_ticker; }
    // Points the media library at `folder` (a rehearsal's copies), as the options would.
    void useLibrary(const std::string& folder);

    // Written by the operating modes only (in the session).
    OperatingMode mode() const { return m_session.mode; }
    bool manual() const { return m_session.manual(); }
    // Tells the listeners that the operator switched the mode, once for each switch.
    void modeSwitched();
    // Tells the listeners that session().clockWarning changed.
    void clockHealthChanged();
    // The date automatic operation last loaded today's table (platform::dateNumber); written by
    // the operating modes.
    const int& automaticDate() const { return m_automaticDate; }

    // Whether the grid holds edits not yet saved; written by the grid editor (in the session).
    bool unsaved() const { return m_session.unsaved; }

    // Written by the start-up and the end of the day.
    const StopDayState& stopDay() const { return m_stopDay; }

    // What the start-up read: whether the configuration was, the hints the status line
    // rotates, the media library entry, and the texts of the about box.
    struct StartUpFacts {
        bool configurationLoaded = false;
        std::vector<std::string> hints;
        std::string defaultDirectory;
        std::string versionText;
        std::string platformFamily;
    };
    const StartUpFacts& startUp() const { return m_startUp; }

    // The table the grid holds, as typed rows: taken when a table is loaded or saved, not on
    // every tick. rows()[r] is row r of the table; [0] is its heading.
    void tableLoaded(const store::ScheduleTable& table);
    void tableSaved(const store::ScheduleTable& table);
    const std::vector<store::ScheduleRow>& rows() const { return m_rows; }
    // The same table cell by cell, as its file holds them, for what records and saves it.
    const store::ScheduleTable& table() const { return m_table; }

    // The status lines. Written by the modes, the clock, the now-playing display, the editor,
    // the start-up and the end of the day, as each has something to say; each change is a
    // LineChanged event, which the window's labels follow.
    const model::TextLine& line(StatusLine which) const {
        return m_lines[static_cast<std::size_t>(which)];
    }

    // --- Commands: the window's menus, buttons, tray and keys, the console, the rehearsal and
    // the tests ask for each the same way, and it means the same from each. ---
    // Automatic operation: today's table, run by the clock. Edits not saved are offered for
    // saving first: the desktop asks the operator, a station without a window takes the
    // question's stated default and records it. False when the station stayed in manual
    // operation (the save was refused or failed).
    bool enterAutomaticOperation();
    // Manual operation: the clock stops, the operator edits and plays by hand.
    void enterManualOperation();
    // Plays row `row` of the draft by hand, as the play command does. False for the heading.
    bool playRow(int row);
    // Stops what plays, as the stop command does.
    void stopPlaying();
    // The table for weekday `number` (1..7) from now on, or the calendar's (0).
    void forceWeekday(int number);
    // The emergency, started or ended by `by` ("operator@console:…", "operator@desktop").
    // False when it already was in that state.
    bool startEmergency(const std::string& by);
    bool endEmergency(const std::string& by);

    // A client (the console, the service) says `text` in the hint line.
    void sayHint(const std::string& text) { writableLine(StatusLine::Hint).setText(text); }

    // What became of each row of table `table` (a file name) on date `date`
    // (platform::dateNumber): the outcomes as they were decided, the day's as-run record before
    // this run included. A row that started and was walked past again (a reload, the clock set
    // back) stays started.
    std::map<int, RowOutcome> outcomes(int date, const std::string& table) const;

    EngineStatus status() const;
    const model::Signal<const EngineEvent&>& events() const { return m_events; }
    model::Signal<const EngineEvent&>& events() { return m_events; }
    // Hands every broadcast event to `record` too, and flushes it with the engine.
    void addRecord(scheduler::BroadcastRecord& record);

    // --- BroadcastRecord: what the journal makes of the clock and the player ---
    void record(const scheduler::BroadcastEvent& event) override;
    void flush() override;
    std::vector<std::string> dayLines(int year, int month, int day) override;
    // --- FailureRecord ---
    void record(const platform::Failure& failure) override;
    // Where the subsystems record what fails: the engine, which keeps the last failure and
    // passes each on; none when the system runs without a record, as the rehearsal does.
    platform::FailureRecord* failureRecord() { return m_failures != nullptr ? this : nullptr; }

private:
    // The assembly that makes the writers hands each the piece it writes.
    friend class OrvessaSystem;

    friend struct StationTestAccess;
    void setCrew(StationCrew crew) { m_crew = std::move(crew); }
    // What the day's as-run record says was decided before this run.
    void rememberDay(const std::vector<scheduler::BroadcastEvent>& earlier);
    // Keeps `event` when it decides a row's outcome.
    void keepOutcome(const scheduler::BroadcastEvent& event);
    store::SystemConfig& writableConfig() { return m_config; }
    store::LiveSettings& writableSettings() { return m_settings; }
    playback::BroadcastSession& writableSession() { return m_session; }
    int& automaticDateField() { return m_automaticDate; }
    StopDayState& writableStopDay() { return m_stopDay; }
    StartUpFacts& writableStartUp() { return m_startUp; }
    model::TextLine& writableLine(StatusLine which) {
        return m_lines[static_cast<std::size_t>(which)];
    }

    // A status line that tells the engine's listeners of each change.
    class Line final : public model::TextLine {
    public:
        Line(BroadcastEngine& engine, StatusLine which, model::Color color = model::kBlack)
            : m_engine(engine), m_which(which), m_color(color) {}
        const std::string& text() const override { return m_text; }
        void setText(std::string text) override;
        model::Color color() const override { return m_color; }
        void setColor(model::Color color) override;

    private:
        void changed() const;

        BroadcastEngine& m_engine;
        StatusLine m_which;
        std::string m_text;
        model::Color m_color;
    };

    // Takes the grid's rows and tells the listeners why.
    void takeTable(const store::ScheduleTable& table, EngineEvent::Kind kind);

    std::filesystem::path m_programDirectory;
    std::string m_programDirectoryText;
    std::string m_itemDirectoryText;
    platform::Host& m_host;
    platform::FailureRecord* m_failures;
    store::SystemConfig m_config;
    store::LiveSettings m_settings;
    playback::BroadcastSession m_session;
    // The mode the listeners were last told of.
    OperatingMode m_toldMode = OperatingMode::Automatic;
    int m_automaticDate = 0;
    StopDayState m_stopDay;
    StartUpFacts m_startUp;
    std::vector<store::ScheduleRow> m_rows;
    store::ScheduleTable m_table;
    model::Timer m_ticker{"ticker", 1000, true};
    StationCrew m_crew;
    // Today's row outcomes in the order they were decided, every table's, and their date.
    std::vector<scheduler::BroadcastEvent> m_dayOutcomes;
    int m_outcomeDate = 0;
    std::optional<platform::Failure> m_lastFailure;
    model::Signal<const EngineEvent&> m_events;
    std::vector<scheduler::BroadcastRecord*> m_records;
    // In StatusLine's order; the first line starts green, as the window's label does.
    std::array<Line, 4> m_lines{Line{*this, StatusLine::Status, model::kGreen},
                                Line{*this, StatusLine::Hint}, Line{*this, StatusLine::Date},
                                Line{*this, StatusLine::Clock}};
};

}  // namespace orvessa::system
