#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "core/platform/clock.h"
#include "core/playback/item_player.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/scheduler/broadcast_record.h"
#include "core/store/schedule_table.h"

namespace orvessa::scheduler {

// Turns what the player and the clock do into the day's events for a BroadcastRecord: each
// start and stop, each missing file, and each row the clock leaves behind with the reason it
// was left. A file missed again, or a row left again for the same reason, on the same day and
// table is not told again: the last row asks for its file every second, and a table replayed
// at the end of the day leaves its past rows every other second. Lives on the clock's thread.
class BroadcastJournal : public ClockObserver {
public:
    // `tableFileName` names the table in `cells`; `clock` dates what happens outside a tick.
    BroadcastJournal(const store::ScheduleTable& cells, const std::string& tableFileName,
                     const platform::Clock& clock, BroadcastRecord& record);

    // A play request that started or missed something, or a stop request, of the item player.
    void played(const playback::PlayEvent& event);
    // Today's plan as a load of today's table decided it: recorded once a date, and again only
    // when it changes (the calendar was edited).
    void dayPlanned(const platform::LocalDateTime& at, const store::DayPlan& plan);

    // The day is over for the station's table: every row the clock has not reached is left
    // behind, with the reason that kept the clock from it, or with `reason` when one is given
    // (the computer shuts down). Nothing more is left until the clock starts afresh. The first
    // tick of a new date does this by itself.
    void dayOver(const char* reason = nullptr);

    // What the as-run record says happened today before this run (a restart): a row of this
    // table that started is not told as left behind when the clock passes it again, and what
    // was told is not told twice.
    void remember(const std::vector<BroadcastEvent>& today);

    void tickStarted(const platform::LocalDateTime& at) override;
    void tickEnded(int currentRow, bool playing) override;
    void rowLeft(int row, bool untimedSkip) override;
    void restarted() override;
    void clockJumped(const platform::LocalDateTime& from,
                     const platform::LocalDateTime& to) override;
    void tickLate(int seconds) override;
    void startingLate(int seconds) override;
    void rowSilenced(int row) override;
    void startingAfterNotice(int seconds) override;

private:
    struct Reason {
        const char* word;
        int byRow;
    };
    // Where the clock stood at the end of a tick, from `from` on.
    struct Stand {
        int64_t from;
        int row;
        bool playing;
    };

    platform::LocalDateTime now() const;
    void publish(BroadcastEvent event);
    void leave(int row, Reason reason);
    // Takes note that the clock is finished with `row`; true when its leaving is still to be
    // told.
    bool passedUntold(int row);
    Reason reasonLeft(int row, bool untimedSkip) const;
    // The row that kept the clock when the time `due` of `row` came, if one did.
    std::optional<Reason> heldBy(int row, const std::string& due) const;
    std::optional<Stand> standAt(int64_t second) const;
    // A row waiting for a start time, or repeating until a stop time, that no clock text reaches.
    void foreseeBlockedDay();
    int lastDataRow() const;

    // The station's table, cell by cell as its file holds them.
    const store::ScheduleTable& m_cells;
    const std::string& m_table;
    const platform::Clock& m_clock;
    BroadcastRecord& m_record;

    std::optional<platform::LocalDateTime> m_tick;  // inside a tick: its time
    std::optional<int64_t> m_lastTick;              // since the clock started afresh
    std::optional<platform::LocalDateTime> m_lastTickAt;
    // The date of the first tick since the clock started afresh: the day of the table's times.
    std::optional<platform::LocalDateTime> m_runDate;
    bool m_runStarting = true;
    int m_currentRow = 1;
    bool m_playing = false;
    int m_startedRow = 0;  // the row on which an item started while the clock was on it
    int m_lastUnplayedTimed = 0;
    // Whether `row` of this table started today before this run.
    bool playedEarlier(int row) const;
    // The rest of the table is accounted for (the day is over, or the clock is held for good).
    bool m_settled = false;
    std::set<int> m_reported;  // rows named missing or left since the clock started afresh
    // What was told today, so that it is told once: (missing or left, row, path or reason).
    std::set<std::tuple<int, int, std::string>> m_toldToday;
    int m_toldDate = 0;
    std::string m_toldTable;
    // The rows of m_playedTable that started on m_playedDate before this run.
    std::set<int> m_playedEarlier;
    int m_playedDate = 0;
    std::string m_playedTable;
    // How late what starts in the tick running now is: a second a clock set forward jumped
    // over, or a bell that waited for the one before it after such seconds.
    int m_lateBy = 0;
    const char* m_lateReason = nullptr;  // when a notice, not the clock, made it late
    // The date and plan last recorded.
    int m_plannedDate = 0;
    store::DayPlan m_planned;
    std::deque<Stand> m_stands;
};

}  // namespace orvessa::scheduler
