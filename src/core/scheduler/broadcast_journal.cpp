#include "core/scheduler/broadcast_journal.h"

#include <algorithm>
#include <utility>

#include "core/store/schedule_table.h"
#include "core/text/time_text.h"

namespace orvessa::scheduler {

namespace {

using store::ScheduleRow;

constexpr int64_t kDay = 86400;
// The last clock text of a day: a time cell that sorts after it is never reached.
constexpr const char* kLastClockText = "23:59:59";

// Exactly "hh:mm:ss" within a day: the only texts a padded clock text can equal. The editor's
// Save refuses the same cells.
bool isClockText(const std::string& t) {
    return text::isClockTime(t);
}

int64_t secondsOfDay(const std::string& clockText) {
    const auto two = [&clockText](std::size_t at) {
        return (clockText[at] - '0') * 10 + (clockText[at + 1] - '0');
    };
    return two(0) * 3600 + two(3) * 60 + two(6);
}

// A time cell that no clock text reaches, so that a row waits on it for the rest of the day.
bool unreachable(const std::string& t) {
    return !t.empty() && text::compareTimeTexts(t, kLastClockText) > 0;
}

int64_t dayStart(const platform::LocalDateTime& t) {
    return secondsOf({t.year, t.month, t.day, 0, 0, 0, 0});
}

}  // namespace

BroadcastJournal::BroadcastJournal(const store::ScheduleTable& cells,
                                   const std::string& tableFileName, const platform::Clock& clock,
                                   BroadcastRecord& record)
    : m_cells(cells), m_table(tableFileName), m_clock(clock), m_record(record) {}

platform::LocalDateTime BroadcastJournal::now() const {
    return m_tick ? *m_tick : m_clock.now();
}

// The last row the operator wrote something in: the blank rows kept below a table
// are not rows left behind.
int BroadcastJournal::lastDataRow() const {
    int row = m_cells.rowCount() - 1;
    while (row >= 1) {
        for (int column : {ScheduleRow::kStartTime, ScheduleRow::kFile, ScheduleRow::kStopTime}) {
            if (!text::trimText(m_cells.cell(column, row)).empty()) {
                return row;
            }
        }
        --row;
    }
    return 0;
}

void BroadcastJournal::dayPlanned(const platform::LocalDateTime& at, const store::DayPlan& plan) {
    const int date = at.year * 10000 + at.month * 100 + at.day;
    if (date == m_plannedDate && plan == m_planned) {
        return;
    }
    m_plannedDate = date;
    m_planned = plan;
    BroadcastEvent event;
    event.type = BroadcastEvent::Type::Day;
    event.at = at;
    event.table = plan.tableFileName();
    event.plan = plan;
    m_record.record(event);
}

void BroadcastJournal::clockJumped(const platform::LocalDateTime& from,
                                   const platform::LocalDateTime& to) {
    const auto clockText = [](const platform::LocalDateTime& t) {
        return text::normaliseTime(text::formatClockTime(t.hour, t.minute, t.second));
    };
    BroadcastEvent event;
    event.type = BroadcastEvent::Type::Clock;
    event.at = to;
    event.table = m_table;
    event.reason = "clock-jump from=" + clockText(from) + " to=" + clockText(to);
    m_record.record(event);
}

void BroadcastJournal::tickLate(int seconds) {
    m_lateBy = seconds;
}

void BroadcastJournal::startingLate(int seconds) {
    m_lateBy = seconds;
}

void BroadcastJournal::startingAfterNotice(int seconds) {
    m_lateBy = seconds;
    m_lateReason = "announcement";
}

void BroadcastJournal::rowSilenced(int row) {
    if (passedUntold(row)) {
        leave(row, {left_reason::kEmergency, 0});
    }
}

void BroadcastJournal::publish(BroadcastEvent event) {
    event.at = now();
    event.table = m_table;
    if (event.type == BroadcastEvent::Type::Started) {
        event.lateBy = m_lateBy;
        if (m_lateReason != nullptr) {
            event.lateReason = m_lateReason;
        }
    }
    if (event.type == BroadcastEvent::Type::Missing || event.type == BroadcastEvent::Type::Left) {
        const int date = event.at.year * 10000 + event.at.month * 100 + event.at.day;
        if (date != m_toldDate || event.table != m_toldTable) {
            m_toldToday.clear();
            m_toldDate = date;
            m_toldTable = event.table;
        }
        const bool missing = event.type == BroadcastEvent::Type::Missing;
        if (!m_toldToday.emplace(missing ? 0 : 1, event.row, missing ? event.path : event.reason)
                 .second) {
            return;
        }
    }
    m_record.record(event);
}

void BroadcastJournal::played(const playback::PlayEvent& e) {
    using Type = playback::PlayEvent::Type;
    BroadcastEvent event;
    event.row = e.row;
    event.kind = e.kind;
    event.path = e.path;
    switch (e.type) {
        case Type::Started:
            m_startedRow = e.row;
            event.type = BroadcastEvent::Type::Started;
            break;
        case Type::Stopped:
            event.type = BroadcastEvent::Type::Stopped;
            break;
        case Type::Missing:
            m_reported.insert(e.row);
            event.type = BroadcastEvent::Type::Missing;
            break;
    }
    publish(std::move(event));
}

void BroadcastJournal::remember(const std::vector<BroadcastEvent>& today) {
    for (const BroadcastEvent& e : today) {
        if (e.table != m_table || e.row <= 0) {
            continue;
        }
        const int date = e.at.year * 10000 + e.at.month * 100 + e.at.day;
        using Type = BroadcastEvent::Type;
        if (e.type == Type::Started) {
            if (date != m_playedDate || e.table != m_playedTable) {
                m_playedEarlier.clear();
                m_playedDate = date;
                m_playedTable = e.table;
            }
            m_playedEarlier.insert(e.row);
        } else if (e.type == Type::Left || e.type == Type::Missing) {
            if (date != m_toldDate || e.table != m_toldTable) {
                m_toldToday.clear();
                m_toldDate = date;
                m_toldTable = e.table;
            }
            const bool missing = e.type == Type::Missing;
            m_toldToday.emplace(missing ? 0 : 1, e.row, missing ? e.path : e.reason);
        }
    }
}

bool BroadcastJournal::playedEarlier(int row) const {
    const platform::LocalDateTime t = now();
    return t.year * 10000 + t.month * 100 + t.day == m_playedDate && m_table == m_playedTable &&
           m_playedEarlier.contains(row);
}

void BroadcastJournal::tickStarted(const platform::LocalDateTime& at) {
    const int64_t second = secondsOf(at);
    const bool newDate =
        m_lastTick && *m_lastTick == second - 1 && dayStart(at) != dayStart(*m_lastTickAt);
    m_tick = at;
    if (m_runStarting) {
        m_runDate = at;
        m_runStarting = false;
    }
    m_lastTick = second;
    m_lastTickAt = at;
    // From the first second of a new date the day's table starts no further row: what it has
    // not reached is left behind.
    if (newDate) {
        dayOver();
    }
}

void BroadcastJournal::tickEnded(int currentRow, bool playing) {
    m_lateBy = 0;
    m_lateReason = nullptr;
    m_currentRow = currentRow;
    m_playing = playing;
    const int64_t second = secondsOf(now());
    if (m_stands.empty() || m_stands.back().row != currentRow ||
        m_stands.back().playing != playing) {
        m_stands.push_back({second, currentRow, playing});
    }
    while (m_stands.size() > 1 && m_stands[1].from <= second - 2 * kDay) {
        m_stands.pop_front();
    }
    foreseeBlockedDay();
    m_tick.reset();
}

bool BroadcastJournal::passedUntold(int row) {
    const bool started = m_startedRow == row || playedEarlier(row);
    m_startedRow = 0;
    const bool timed = !text::trimText(m_cells.cell(ScheduleRow::kStartTime, row)).empty();
    if (timed && !started) {
        m_lastUnplayedTimed = row;
    }
    // A row that started is told by its start and stop.
    return !started && !m_settled && !m_reported.contains(row) && row <= lastDataRow();
}

void BroadcastJournal::rowLeft(int row, bool untimedSkip) {
    if (passedUntold(row)) {
        leave(row, reasonLeft(row, untimedSkip));
    }
}

void BroadcastJournal::restarted() {
    m_runStarting = true;
    m_lastTick.reset();
    m_lastTickAt.reset();
    m_startedRow = 0;
    m_lastUnplayedTimed = 0;
    m_settled = false;
    m_reported.clear();
    m_stands.clear();
}

void BroadcastJournal::dayOver(const char* reason) {
    if (m_settled) {
        return;
    }
    m_settled = true;
    const int current = m_currentRow;
    const bool held = m_playing || m_startedRow == current;
    for (int row = std::max(current, 1); row <= lastDataRow(); ++row) {
        if (m_reported.contains(row) || (row == current && held) || playedEarlier(row)) {
            continue;
        }
        const bool empty = text::trimText(m_cells.cell(ScheduleRow::kFile, row)).empty();
        leave(row, reason != nullptr && !empty ? Reason{reason, 0} : reasonLeft(row, false));
    }
}

void BroadcastJournal::leave(int row, Reason reason) {
    m_reported.insert(row);
    BroadcastEvent event;
    event.type = BroadcastEvent::Type::Left;
    event.row = row;
    event.path = text::trimText(m_cells.cell(ScheduleRow::kFile, row));
    event.reason = reason.word;
    event.byRow = reason.byRow;
    publish(std::move(event));
}

BroadcastJournal::Reason BroadcastJournal::reasonLeft(int row, bool untimedSkip) const {
    namespace why = left_reason;
    const ScheduleRow cells = ScheduleRow::read(m_cells, row);
    if (!cells.hasItem()) {
        return {why::kEmpty, 0};
    }
    if (cells.badTime()) {
        return {why::kBadTime, 0};
    }
    const std::string& start = cells.start;
    const std::string& stop = cells.stop;
    if (!start.empty() && !stop.empty() && text::timeAtOrBefore(stop, start)) {
        return {why::kStopBeforeStart, 0};
    }
    if (start.empty() && untimedSkip) {
        return {why::kAfterUnplayedTimed, m_lastUnplayedTimed};
    }
    const std::string& due = start.empty() ? stop : start;
    if (due.empty()) {
        // A row that follows the one before it: whatever holds the clock now holds it.
        if (m_playing && m_currentRow != row) {
            return {why::kStillPlaying, m_currentRow};
        }
        return {why::kLate, 0};
    }
    return heldBy(row, due).value_or(Reason{why::kLate, 0});
}

std::optional<BroadcastJournal::Reason> BroadcastJournal::heldBy(int row,
                                                                 const std::string& due) const {
    if (!m_runDate) {
        return std::nullopt;
    }
    // Where the clock stood going into the tick of the due second.
    const std::optional<Stand> stand = standAt(dayStart(*m_runDate) + secondsOfDay(due) - 1);
    if (!stand || stand->row == row || stand->row < 1 || stand->row > lastDataRow()) {
        return std::nullopt;
    }
    if (stand->playing) {
        return Reason{left_reason::kStillPlaying, stand->row};
    }
    const std::string start =
        text::normaliseTime(m_cells.cell(ScheduleRow::kStartTime, stand->row));
    if (!start.empty() && !isClockText(start)) {
        return Reason{left_reason::kBadTime, stand->row};
    }
    return std::nullopt;
}

std::optional<BroadcastJournal::Stand> BroadcastJournal::standAt(int64_t second) const {
    const auto after = std::upper_bound(m_stands.begin(), m_stands.end(), second,
                                        [](int64_t s, const Stand& st) { return s < st.from; });
    if (after == m_stands.begin()) {
        return std::nullopt;
    }
    return *std::prev(after);
}

void BroadcastJournal::foreseeBlockedDay() {
    const int row = m_currentRow;
    if (m_settled || row < 1 || row > lastDataRow()) {
        return;
    }
    const std::string start = text::normaliseTime(m_cells.cell(ScheduleRow::kStartTime, row));
    const std::string stop = text::normaliseTime(m_cells.cell(ScheduleRow::kStopTime, row));
    const bool started = m_playing || m_startedRow == row;
    const bool file = !text::trimText(m_cells.cell(ScheduleRow::kFile, row)).empty();
    // Waiting for a start that never comes, with no stop time to end the wait.
    const bool neverStarts =
        !started && file && unreachable(start) && (stop.empty() || unreachable(stop));
    // Repeating until a stop time that never comes.
    const bool neverStops = started && unreachable(stop);
    if (!neverStarts && !neverStops) {
        return;
    }
    m_settled = true;
    if (neverStarts && !m_reported.contains(row)) {
        leave(row, {left_reason::kBadTime, 0});
    }
    for (int later = row + 1; later <= lastDataRow(); ++later) {
        if (m_reported.contains(later)) {
            continue;
        }
        const bool empty = text::trimText(m_cells.cell(ScheduleRow::kFile, later)).empty();
        leave(later, empty ? Reason{left_reason::kEmpty, 0} : Reason{left_reason::kBadTime, row});
    }
}

}  // namespace orvessa::scheduler
