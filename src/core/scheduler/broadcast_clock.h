#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/model/control.h"
#include "core/platform/clock.h"
#include "core/platform/failure_record.h"
#include "core/playback/broadcast_session.h"
#include "core/scheduler/broadcast_record.h"
#include "core/store/schedule_table.h"

namespace orvessa::playback {
class ItemPlayer;
class NowPlaying;
class VideoWindow;
}  // namespace orvessa::playback

namespace orvessa::scheduler {

// The main window's controls that the clock reads and writes.
struct ClockControls {
    // Shows the row the clock has come to wherever the table is shown; may be empty.
    std::function<void(int row)> showRow;
    model::TextLine& clockText;
    model::TextLine& statusLine;
    model::TextLine& stopDayLine;
};

// The end-of-day steps the tick calls.
struct EndOfDayHooks {
    // The custom daily shutdown check.
    std::function<void()> customShutdownCheck;
    // The end-of-table handling; returns true when the tick ends there.
    std::function<bool()> endOfTable;
    // Shows the end-of-day countdown message when it applies; returns whether it did.
    std::function<bool()> showCountdown;
    // Starts a new day's table at the first tick of a new date; true when the tick ends there.
    std::function<bool(const platform::LocalDateTime&)> newDay;
};

// Told how the clock moves through its table, for a record of the day. Called on the clock's
// thread from inside its calls; an implementation returns at once and does not throw.
class ClockObserver {
public:
    virtual ~ClockObserver() = default;
    // A tick at `at` begins.
    virtual void tickStarted(const platform::LocalDateTime& at) = 0;
    // The tick ended with the clock on `currentRow`, an item playing or not.
    virtual void tickEnded(int currentRow, bool playing) = 0;
    // The clock is finished with `row` and moves past it; `untimedSkip` as it stood when the
    // row was read.
    virtual void rowLeft(int row, bool untimedSkip) = 0;
    // The clock stopped, or its table was loaded again: the ticks that follow start afresh.
    virtual void restarted() = 0;
    // The time of day moved from `from` (what it would have read) to `to` by more than the time
    // that passed: the PC's clock was set forward or back.
    virtual void clockJumped(const platform::LocalDateTime& from,
                             const platform::LocalDateTime& to) {
        (void)from;
        (void)to;
    }
    // The tick about to run is a second the clock made up (jumped over, or missed while the
    // thread was busy), run `seconds` after it.
    virtual void tickLate(int seconds) { (void)seconds; }
    // The row about to start is a bell of seconds the clock made up, which waited for the item
    // before it and starts `seconds` after its own second.
    virtual void startingLate(int seconds) { (void)seconds; }
    // An emergency silences the timetable: the clock is finished with `row` without playing it.
    virtual void rowSilenced(int row) { (void)row; }
    // The row about to start waited for a notice, and starts `seconds` after it came due.
    virtual void startingAfterNotice(int seconds) { (void)seconds; }
};

// The once-a-second broadcast clock: compares the time of day with the current row, starts,
// stops and leaves rows, and walks down the table.
class BroadcastClock {
public:
    static constexpr int kMaxMadeUpSeconds = 30;
    // Seconds a clock set forward may jump over and still have them ticked, late; beyond that
    // their rows are left behind, as at a start-up after their time, and no burst of old bells
    // rings.
    static constexpr int kMaxJumpedSeconds = 60;
    // A difference between the time of day and the steady clock larger than this is a jump.
    static constexpr int64_t kJumpMillis = 2000;

    // The clock sets the session's weekday and moves its current row.
    BroadcastClock(playback::BroadcastSession& session, ClockControls controls,
                   playback::ItemPlayer& player, playback::NowPlaying& display,
                   playback::VideoWindow& videoWindow, const platform::Clock& timeSource,
                   const std::vector<std::string>& hints, EndOfDayHooks hooks,
                   const std::vector<store::ScheduleRow>& rows);

    // The station ticker's handler: ticks the second now, after the seconds a busy thread missed
    // since the last tick (up to half a minute of them). A second is never ticked twice.
    void tick();
    // One tick at the given moment.
    void tickAt(const platform::LocalDateTime& at);
    // Moves currentRow past every row that is finished with.
    void skipFinishedRows();
    // Forgets the last second ticked, so that the next tick makes up nothing.
    void resetSeconds();
    // What the as-run record says happened today before this run (a restart): the rows that
    // started keep from ringing again when the PC's clock was set back below the latest second
    // recorded, as they would have had the program run on.
    void remember(const std::vector<BroadcastEvent>& today);
    // Tells `observer` (not owned; null for none) what the clock does with its rows.
    void setObserver(ClockObserver* observer) { m_observer = observer; }
    // Where a jump of the PC's clock is recorded; null for nowhere.
    void setFailureRecord(platform::FailureRecord* failures) { m_failures = failures; }

private:
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    void showRow(int row) const {
        if (m_controls.showRow) {
            m_controls.showRow(row);
        }
    }
    void steps(const platform::LocalDateTime& at);
    // Reads the current row and the clock text into the clock's fields.
    void readRow();
    void statusLines();
    void tickEnded();
    // Notices a time of day that moved by more than the steady clock did since the last tick;
    // returns by how many milliseconds, 0 for none.
    int64_t jumpSince(const platform::LocalDateTime& now, std::optional<int64_t> steady);
    // The row decision of a tick, while nothing plays: start, wait on or leave the current row.
    void decideRow(const platform::LocalDateTime& at);
    // Whether the current row, which nothing plays yet, is timed at the second being ticked.
    bool dueNow();
    // Starts the current row, unless the clock was set back and the row already played in the
    // seconds it lives again.
    void startRow(const platform::LocalDateTime& at);
    // How late the current row would start at `second` when it is a bell still owed from the
    // seconds last made up; none for every other row.
    std::optional<int64_t> owedLateness(int64_t second) const;
    // Starts the current row, unless an emergency silences it or a notice holds it.
    void startOrHold(const platform::LocalDateTime& at);
    // Leaves the current row behind unplayed: an emergency is on.
    void silence();
    // Whether the current row is the one a notice holds.
    bool held() const;

    playback::PlaybackState& m_state;
    playback::ClockState& m_clock;
    ClockControls m_controls;
    playback::ItemPlayer& m_player;
    playback::NowPlaying& m_display;
    playback::VideoWindow& m_video;
    const platform::Clock& m_time;
    const std::vector<std::string>& m_hints;
    int& m_weekday;                   // the session's
    const store::DayPlan& m_dayPlan;  // the session's
    const playback::BroadcastSession& m_session;
    EndOfDayHooks m_hooks;
    std::optional<int64_t> m_lastSecond;
    // How long after its own second the current tick runs (a tick made up after a stall), and
    // that second in milliseconds.
    int64_t m_lateMillis = 0;
    int64_t m_tickMillis = 0;
    ClockObserver* m_observer = nullptr;
    platform::FailureRecord* m_failures = nullptr;
    // The time of day and the steady clock at the last tick, to notice jumps.
    std::optional<int64_t> m_lastWallMillis;
    std::optional<int64_t> m_lastSteadyMillis;
    // The latest second ever ticked: below it, after the clock was set back, seconds are lived
    // again.
    std::optional<int64_t> m_highWater;
    // The second each row of each table last started, to keep a row from playing twice when its
    // seconds are lived again.
    std::map<std::pair<std::string, int>, int64_t> m_started;
    // The current row as this tick read it.
    store::ScheduleRow m_row;
    // The station's table as its last load or commit left it: the clock runs only in automatic
    // operation, where no draft is played.
    const std::vector<store::ScheduleRow>& m_rows;
    // The seconds last made up after a stall or a short forward step, [from, until), and how
    // many they were: the items started in them run that far behind the time of day. A row due
    // in them that the item before it keeps waiting is owed: it rings when that item ends, as
    // it would have without the gap, unless it would have been left behind without it too.
    struct MadeUp {
        int64_t from = 0;
        int64_t until = 0;
        int64_t lag = 0;
    };
    std::optional<MadeUp> m_madeUp;
    // The row whose turn came while a notice played, and the second it came: it starts when the
    // notice is over.
    struct Held {
        std::string table;
        int row = 0;
        int64_t since = 0;
    };
    std::optional<Held> m_held;
};

// The date line above the LCD clock, "2026-12-10   星期四", marked while the clock may be wrong.
std::string dateLineText(const platform::LocalDateTime& at,
                         const playback::BroadcastSession& session);

// Seconds since 1970-01-01 of a local date and time, as if the day had no time zone.
int64_t secondsOf(const platform::LocalDateTime& t);
platform::LocalDateTime localDateTimeOf(int64_t seconds);

}  // namespace orvessa::scheduler
