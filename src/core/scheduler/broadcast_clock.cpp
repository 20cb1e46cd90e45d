#include "core/scheduler/broadcast_clock.h"

#include <chrono>
#include <exception>

#include "core/playback/item_player.h"
#include "core/playback/now_playing.h"
#include "core/playback/video_window.h"
#include "core/text/date_text.h"
#include "core/text/time_text.h"

namespace orvessa::scheduler {

using text::normaliseTime;
using text::timeAtOrBefore;
using text::timeBefore;

int64_t secondsOf(const platform::LocalDateTime& t) {
    using namespace std::chrono;
    const sys_days day{year_month_day{year(t.year), month(static_cast<unsigned>(t.month)),
                                      std::chrono::day(static_cast<unsigned>(t.day))}};
    return static_cast<int64_t>(day.time_since_epoch().count()) * 86400 + t.hour * 3600 +
           t.minute * 60 + t.second;
}

platform::LocalDateTime localDateTimeOf(int64_t seconds) {
    using namespace std::chrono;
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const year_month_day date{sys_days{std::chrono::days{days}}};
    return {static_cast<int>(date.year()),
            static_cast<int>(unsigned(date.month())),
            static_cast<int>(unsigned(date.day())),
            static_cast<int>(rest / 3600),
            static_cast<int>(rest % 3600 / 60),
            static_cast<int>(rest % 60),
            0};
}

BroadcastClock::BroadcastClock(playback::BroadcastSession& session, ClockControls controls,
                               playback::ItemPlayer& player, playback::NowPlaying& display,
                               playback::VideoWindow& videoWindow,
                               const platform::Clock& timeSource,
                               const std::vector<std::string>& hints, EndOfDayHooks hooks,
                               const std::vector<store::ScheduleRow>& rows)
    : m_state(session.playback),
      m_clock(session.clock),
      m_controls(controls),
      m_player(player),
      m_display(display),
      m_video(videoWindow),
      m_time(timeSource),
      m_hints(hints),
      m_weekday(session.weekday),
      m_dayPlan(session.dayPlan),
      m_session(session),
      m_hooks(std::move(hooks)),
      m_rows(rows) {}

std::string dateLineText(const platform::LocalDateTime& at,
                         const playback::BroadcastSession& session) {
    const std::string line = text::formatDate(at.year, at.month, at.day) + "   星期" +
                             text::weekdayCharacter(text::weekdayOf(at.year, at.month, at.day));
    return session.clockWarning.empty() ? line : "⚠ " + line;
}

int64_t BroadcastClock::jumpSince(const platform::LocalDateTime& now,
                                  std::optional<int64_t> steady) {
    const int64_t wall = platform::wallMillisOf(now);
    int64_t jump = 0;
    if (m_lastWallMillis && m_lastSteadyMillis && steady) {
        const int64_t passed = *steady - *m_lastSteadyMillis;
        const int64_t moved = wall - *m_lastWallMillis;
        if (moved - passed > kJumpMillis || passed - moved > kJumpMillis) {
            jump = moved - passed;
            const platform::LocalDateTime from =
                localDateTimeOf((*m_lastWallMillis + passed) / 1000);
            const auto clockText = [](const platform::LocalDateTime& t) {
                return text::normaliseTime(text::formatClockTime(t.hour, t.minute, t.second));
            };
            platform::recordFailure(
                m_failures,
                {"clock jumped", "from " + text::formatDate(from.year, from.month, from.day) + " " +
                                     clockText(from) + " to " +
                                     text::formatDate(now.year, now.month, now.day) + " " +
                                     clockText(now)});
            if (m_observer != nullptr) {
                m_observer->clockJumped(from, now);
            }
        }
    }
    m_lastWallMillis = wall;
    m_lastSteadyMillis = steady;
    return jump;
}

void BroadcastClock::tick() {
    const platform::LocalDateTime now = m_time.now();
    const int64_t second = secondsOf(now);
    const int64_t jump = jumpSince(now, m_time.steadyMillis());
    if (m_lastSecond && second == *m_lastSecond) {
        return;
    }
    // Seconds the thread was too busy to tick are ticked now, in order, each with its own
    // clock text: a bell whose second fell in the stall still rings. So are the seconds a clock
    // set forward jumped over, up to a minute of them, marked late. The first bell of them
    // starts now; the others, whose seconds pass while it plays, are owed and ring in turn as
    // the item before each ends (owedLateness). Longer gaps (a suspend, a long stall, a long
    // jump) and a clock set back are not made up.
    // A made-up tick that fails does not keep the later ones from running; its failure is
    // passed on once the second of now has been ticked.
    std::exception_ptr madeUpFailure;
    const int64_t madeUpLimit = jump > 0 ? kMaxJumpedSeconds + 1 : kMaxMadeUpSeconds;
    // The bells still owed from seconds made up before are owed no longer once they would have
    // been late without the gap as well; a clock set back, or a gap too long to make up, starts
    // the reckoning afresh.
    if (m_madeUp &&
        (jump < 0 || !m_lastSecond || second < *m_lastSecond ||
         second - *m_lastSecond > madeUpLimit || second - m_madeUp->lag >= m_madeUp->until)) {
        m_madeUp.reset();
    }
    if (m_lastSecond && second > *m_lastSecond + 1 && second - *m_lastSecond <= madeUpLimit) {
        const int64_t count = second - *m_lastSecond - 1;
        m_madeUp = m_madeUp ? MadeUp{m_madeUp->from, second, m_madeUp->lag + count}
                            : MadeUp{*m_lastSecond + 1, second, count};
        for (int64_t s = *m_lastSecond + 1; s < second; ++s) {
            m_lastSecond = s;
            m_lateMillis = (second - s) * 1000 + now.millisecond;
            if (m_observer != nullptr) {
                m_observer->tickLate(static_cast<int>(second - s));
            }
            try {
                tickAt(localDateTimeOf(s));
            } catch (...) {
                if (!madeUpFailure) {
                    madeUpFailure = std::current_exception();
                }
            }
        }
    }
    m_lastSecond = second;
    // A tick due on the second boundary that a busy thread runs late reads as of its second too.
    m_lateMillis = now.millisecond;
    tickAt(now);
    if (madeUpFailure) {
        std::rethrow_exception(madeUpFailure);
    }
}

void BroadcastClock::readRow() {
    const int row = m_state.currentRow;
    // A row outside the table has only empty cells, as the table reads it.
    m_row = row >= 0 && row < static_cast<int>(m_rows.size())
                ? m_rows[static_cast<std::size_t>(row)]
                : store::ScheduleRow{};
    m_clock.startTime = m_row.start;
    // Before the first tick the clock has read no time, and no cell is after it.
    m_clock.nowTime = m_clock.lastTick ? m_clock.tick.padded() : std::string();
    m_clock.stopTime = m_row.stop;
}

void BroadcastClock::resetSeconds() {
    m_lastSecond.reset();
    m_held.reset();
    m_madeUp.reset();
    m_lastWallMillis.reset();
    m_lastSteadyMillis.reset();
    if (m_observer != nullptr) {
        m_observer->restarted();
    }
}

void BroadcastClock::remember(const std::vector<BroadcastEvent>& today) {
    for (const BroadcastEvent& e : today) {
        const int64_t second = secondsOf(e.at);
        // The second after the latest line: the clock stood at least that far on.
        if (!m_highWater || second + 1 > *m_highWater) {
            m_highWater = second + 1;
        }
        if (e.type == BroadcastEvent::Type::Started && e.row > 0) {
            m_started[{e.table, e.row}] = second;
        }
    }
}

void BroadcastClock::tickAt(const platform::LocalDateTime& at) {
    if (const int64_t second = secondsOf(at); !m_highWater || second > *m_highWater) {
        m_highWater = second;
    }
    if (m_observer != nullptr) {
        m_observer->tickStarted(at);
    }
    try {
        steps(at);
    } catch (...) {
        tickEnded();
        throw;
    }
    tickEnded();
}

void BroadcastClock::tickEnded() {
    if (m_observer != nullptr) {
        m_observer->tickEnded(m_state.currentRow, m_state.isPlaying);
    }
}

void BroadcastClock::steps(const platform::LocalDateTime& at) {
    m_clock.advanceRequested = false;
    m_tickMillis = secondsOf(at) * 1000;
    m_clock.lastTick = at;
    m_clock.tick = text::TimeOfDay(at.hour, at.minute, at.second);
    m_controls.clockText.setText(m_clock.tick.clockText());
    readRow();
    m_weekday = text::weekdayOf(at.year, at.month, at.day);
    m_controls.stopDayLine.setText(dateLineText(at, m_session));
    const playback::AlertState& alert = m_session.alert;
    // The custom times come first: a shutdown at 00:00:00 is due whatever the new day brings.
    // Not during an emergency: the PC that sounds the alarm stays on.
    if (m_hooks.customShutdownCheck && !alert.emergency) {
        m_hooks.customShutdownCheck();
    }
    if (m_hooks.newDay) {
        if (m_hooks.newDay(at)) {
            return;
        }
        // A new day's table may have been loaded: this second is its first.
        readRow();
    }

    if (m_state.currentRow == rowCount()) {
        // The end of the day (a shutdown, a replay) waits until the emergency is over.
        if (!alert.emergency && m_hooks.endOfTable && m_hooks.endOfTable()) {
            return;
        }
    } else {
        showRow(m_state.currentRow);

        if (m_state.itemEnded()) {
            m_player.stop();
            m_clock.advanceRequested = m_state.isDirectory ? m_state.directoryFinished : true;
        }

        if (!m_state.isPlaying) {
            decideRow(at);
        }

        if (!m_clock.stopTime.empty() && timeAtOrBefore(m_clock.stopTime, m_clock.nowTime)) {
            m_player.stop();
            m_clock.advanceRequested = true;
        }
    }

    if (m_clock.advanceRequested) {
        skipFinishedRows();
        // A bell due at the very second the row before it stops, or ends, starts in this tick:
        // at the next one its second would have passed and it would be left behind unplayed.
        for (int rows = rowCount(); rows > 0 && dueNow(); --rows) {
            const int row = m_state.currentRow;
            showRow(row);
            decideRow(at);
            if (m_clock.advanceRequested) {
                skipFinishedRows();
            }
            if (m_state.currentRow == row) {
                break;
            }
        }
    }
    // A row due at the next second has its file opened now, so that its sound starts at the
    // second and not a pipeline's preparation after it.
    if (!m_state.isPlaying && m_state.currentRow < rowCount() && !m_clock.startTime.empty()) {
        const platform::LocalDateTime next = localDateTimeOf(secondsOf(at) + 1);
        if (m_clock.startTime ==
            normaliseTime(text::formatClockTime(next.hour, next.minute, next.second))) {
            m_player.prepare();
        }
    }
    statusLines();
}

void BroadcastClock::decideRow(const platform::LocalDateTime& at) {
    const playback::AlertState& alert = m_session.alert;
    const std::string& start = m_clock.startTime;
    const std::string& now = m_clock.nowTime;
    const std::string& stop = m_clock.stopTime;
    if (!m_row.hasItem()) {
        m_clock.advanceRequested = true;
    } else if (!stop.empty() && timeAtOrBefore(stop, now)) {
        m_clock.advanceRequested = true;
    } else if (!start.empty() && timeBefore(start, now) && stop.empty() && !m_state.isDirectory &&
               !owedLateness(secondsOf(at)) && !held()) {
        m_clock.advanceRequested = true;
    } else {
        // The video window shows the emergency's message while the rows wait.
        if (!alert.emergency) {
            m_video.hideWindow();
        }
        m_clock.shutdownArmed = true;
        if (start.empty()) {
            if (m_clock.untimedSkip && !alert.emergency) {
                m_clock.advanceRequested = true;
            } else if (stop.empty() && m_clock.repeatCount != m_clock.repeatLimit &&
                       !m_state.isDirectory && !alert.emergency) {
                m_clock.advanceRequested = true;
            } else {
                startOrHold(at);
            }
        } else if (timeAtOrBefore(start, now)) {
            if (const std::optional<int64_t> late = owedLateness(secondsOf(at));
                late && m_observer != nullptr) {
                m_observer->startingLate(static_cast<int>(*late));
            }
            startOrHold(at);
        }
    }
}

bool BroadcastClock::dueNow() {
    if (m_state.isPlaying || m_state.currentRow >= rowCount()) {
        return false;
    }
    readRow();
    return m_row.hasItem() && !m_clock.startTime.empty() && m_clock.startTime == m_clock.nowTime;
}

void BroadcastClock::statusLines() {
    // Only the countdown and a clock that may be wrong are warnings; a red line left over from
    // one is not.
    const std::string& clockWarning = m_session.clockWarning;
    // During an emergency the line says so, whatever else it would turn to.
    if (m_session.alert.emergency) {
        m_controls.statusLine.setColor(model::kRed);
        m_controls.statusLine.setText("  ☆ 紧急广播中：作息表已停止，警报正在鸣响");
        return;
    }
    if (m_state.isPlaying) {
        m_controls.statusLine.setColor(model::kGreen);
        // The display gives the warning the second line.
        m_display.update(true, m_lateMillis, m_tickMillis);
        return;
    }
    if (!m_session.alert.emergency && m_hooks.showCountdown && m_hooks.showCountdown()) {
        return;
    }
    ++m_clock.hintTick;
    m_clock.hintIndex = m_clock.hintTick / 5;
    if (m_clock.hintTick > m_clock.hintLimit) {
        m_clock.hintTick = 0;
    }
    // A clock that may be wrong stands where the hints turn, in red, until it is synchronised:
    // a warning shown for a few seconds in the hints' colour is read as one more hint.
    if (!clockWarning.empty()) {
        m_controls.statusLine.setColor(model::kRed);
        m_controls.statusLine.setText(clockWarning);
        return;
    }
    m_controls.statusLine.setColor(model::kGreen);
    // On a day the calendar decided, the first hint says so: the operator sees why today runs
    // another table than the weekday's.
    if (m_clock.hintIndex == 0 && m_dayPlan.byCalendar()) {
        m_controls.statusLine.setText(store::calendarDayLine(m_dayPlan));
    } else if (m_clock.hintIndex >= 0 && m_clock.hintIndex < static_cast<int>(m_hints.size())) {
        m_controls.statusLine.setText(m_hints[static_cast<std::size_t>(m_clock.hintIndex)]);
    }
}

bool BroadcastClock::held() const {
    return m_held && m_held->row == m_state.currentRow && m_held->table == m_session.tableFileName;
}

void BroadcastClock::silence() {
    if (m_observer != nullptr) {
        m_observer->rowSilenced(m_state.currentRow);
    }
    m_clock.lastStartTime = m_clock.startTime;
    ++m_state.currentRow;
    m_clock.advanceRequested = true;
}

void BroadcastClock::startOrHold(const platform::LocalDateTime& at) {
    const int64_t second = secondsOf(at);
    // Every row whose turn comes during an emergency is left; none is played after it.
    if (m_session.alert.emergency) {
        silence();
        return;
    }
    if (m_session.alert.noticePlaying()) {
        // Never over a notice: the row starts as soon as it is over.
        if (!held()) {
            m_held = Held{m_session.tableFileName, m_state.currentRow, second};
        }
        return;
    }
    if (held()) {
        if (!m_clock.startTime.empty() && second > m_held->since && m_observer != nullptr) {
            m_observer->startingAfterNotice(static_cast<int>(second - m_held->since));
        }
        m_held.reset();
    }
    startRow(at);
}

void BroadcastClock::startRow(const platform::LocalDateTime& at) {
    const int64_t second = secondsOf(at);
    const std::pair<std::string, int> row{m_session.tableFileName, m_state.currentRow};
    const int64_t day = second / 86400;
    if (m_highWater && second < *m_highWater) {
        if (const auto it = m_started.find(row);
            it != m_started.end() && it->second / 86400 == day) {
            // The clock was set back: this row already played today, in the seconds it now lives
            // again. The next row waits for its own second, as after the row played.
            m_clock.lastStartTime = m_clock.startTime;
            ++m_state.currentRow;
            m_clock.advanceRequested = true;
            return;
        }
    }
    m_player.play(m_state.currentRow);
    if (m_state.isPlaying) {
        m_started[row] = second;
        if (m_started.size() > 1000) {
            std::erase_if(m_started, [day](const auto& s) { return s.second / 86400 < day - 1; });
        }
    }
}

std::optional<int64_t> BroadcastClock::owedLateness(int64_t second) const {
    const std::string& start = m_clock.startTime;
    if (!m_madeUp || !m_clock.stopTime.empty() || !text::isClockTime(start)) {
        return std::nullopt;
    }
    const auto two = [&start](std::size_t at) {
        return (start[at] - '0') * 10 + (start[at + 1] - '0');
    };
    const int64_t due = second / 86400 * 86400 + two(0) * 3600 + two(3) * 60 + two(6);
    // Due in the made-up seconds, already past, and still ahead of the time the items would
    // have reached without the gap: the item before it was only late, not too long.
    if (due < m_madeUp->from || due >= m_madeUp->until || due >= second ||
        due < second - m_madeUp->lag) {
        return std::nullopt;
    }
    // Rung once: a bell that started in the made-up seconds, or after them, is not owed.
    if (const auto it = m_started.find({m_session.tableFileName, m_state.currentRow});
        it != m_started.end() && it->second >= m_madeUp->from) {
        return std::nullopt;
    }
    return second - due;
}

void BroadcastClock::skipFinishedRows() {
    for (;;) {
        m_clock.advanceRequested = false;
        m_state.nextIndex = 0;
        m_state.randomPicks = 0;
        readRow();
        const std::string& start = m_clock.startTime;
        const std::string& now = m_clock.nowTime;
        const std::string& stop = m_clock.stopTime;
        const bool emptyFile = !m_row.hasItem();
        const bool finished =
            emptyFile || (!stop.empty() && timeAtOrBefore(stop, now)) ||
            (!start.empty() && timeBefore(start, now) && stop.empty() &&
             !owedLateness(m_tickMillis / 1000) && !held()) ||
            (start.empty() &&
             (m_clock.untimedSkip || (stop.empty() && m_clock.repeatCount != m_clock.repeatLimit)));
        if (!finished || m_state.currentRow > rowCount() - 1) {
            return;
        }
        if (m_observer != nullptr) {
            m_observer->rowLeft(m_state.currentRow, m_clock.untimedSkip);
        }
        if (!start.empty() && start != m_clock.lastStartTime) {
            m_clock.untimedSkip = true;
        }
        if (start.empty() && stop.empty()) {
            m_clock.repeatCount = m_clock.repeatLimit;
        }
        ++m_state.currentRow;
    }
}

}  // namespace orvessa::scheduler
