// The end of the day: what follows the last row, the custom shutdown times, the stop-day
// ticker and the shutdown of the computer.

#include "core/scheduler/end_of_day.h"

#include "core/playback/item_player.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/text/date_text.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"

namespace orvessa::scheduler {

using store::EndOfDayAction;
using store::SystemConfig;

namespace {

// Seconds of the day of a clock text "H:mm:ss" or "hh:mm:ss"; -1 when it is none.
int secondsOfDay(std::string_view clockText) {
    const auto t = text::TimeOfDay::read(clockText);
    return t ? t->seconds() : -1;
}

std::string clockTextOf(int seconds) {
    return text::TimeOfDay::fromSeconds(seconds).clockText();
}

}  // namespace

EndOfDay::EndOfDay(EndOfDayControls controls, EndOfDayState state, const platform::Clock& clock,
                   platform::Power& power, EndOfDayActions actions)
    : m_c(controls), m_s(state), m_clock(clock), m_power(power), m_actions(std::move(actions)) {
    m_c.stopDayTimer.setHandler([this] { stopDayTick(); });
}

store::EndOfDayAction EndOfDay::liveAction() const {
    return m_settings != nullptr ? m_settings->endOfDayAction
                                 : store::endOfDayActionOf(m_s.config.endOfDayAction());
}

bool EndOfDay::endOfTable() {
    if (m_player != nullptr) {
        m_player->stop();
    }
    playback::ClockState& c = m_s.session.clock;
    if (--c.endCountdown == 0) {
        c.endCountdown = 30;
    }
    if (c.shutdownArmed && c.endCountdown < 30) {
        c.shutdownTime = clockTextOf(c.tick.seconds() + 60);
        c.shutdownArmed = false;
    }
    const EndOfDayAction action = liveAction();
    if (action == EndOfDayAction::Quit) {
        m_s.session.unlocked = true;
        m_actions.quit();
        return true;
    }
    if (action == EndOfDayAction::Replay || c.nowTime == "00:00:00") {
        m_actions.enterAutomaticOperation();
        return true;
    }
    if (action == EndOfDayAction::PowerOff && c.tick.clockText() == c.shutdownTime) {
        powerOff();
    }
    return false;
}

void EndOfDay::customShutdownCheck() {
    if (m_settings == nullptr || m_settings->customShutdownOff ||
        m_settings->endOfDayAction != EndOfDayAction::Wait) {
        return;
    }
    for (int entry : {SystemConfig::kShutdownTimeOne, SystemConfig::kShutdownTimeTwo}) {
        if (m_s.config.entry(entry) == m_s.session.clock.nowTime) {
            powerOff();
        }
    }
}

bool EndOfDay::showCountdown() {
    // The countdown announces the action that will run: the dialog's live choice.
    if (liveAction() != EndOfDayAction::PowerOff ||
        m_s.session.playback.currentRow <= m_c.table.rowCount() - 1) {
        return false;
    }
    const int now = m_s.session.clock.tick.seconds();
    const int shutdown = secondsOfDay(m_s.session.clock.shutdownTime);
    if (now < 0 || shutdown < 0 || !(shutdown <= now + 60 && now < shutdown)) {
        return false;
    }
    m_c.statusLine.setColor(model::kRed);
    m_c.statusLine.setText("  ☆ 系统将在 " + clockTextOf(shutdown - now) + " 后自动关机！");
    m_c.hintLine.setColor(model::kGreen);
    m_c.hintLine.setText("  ☆ 若不想立即关闭计算机可退出本系统。");
    return true;
}

bool EndOfDay::newDayCheck(const platform::LocalDateTime& at) {
    const int date = platform::dateNumber(at);
    if (m_s.automaticDate == 0 || date == m_s.automaticDate || m_s.session.playback.isPlaying) {
        return false;
    }
    // The operator said no bells on a stop day, whether the system started on it or ran into it.
    if (m_actions.planNewDay(at).stopDay()) {
        enterStopDay(at);
        return true;
    }
    // A missed midnight second, or an item that played across midnight, must not keep the new
    // day's table from starting. The tick goes on with it, so that a row at 00:00:00 rings.
    m_actions.enterAutomaticOperation();
    return false;
}

void EndOfDay::enterStopDay(const platform::LocalDateTime& day) {
    m_c.ticker.stop();
    if (m_player != nullptr) {
        m_player->stop();
    }
    // The stop day's own table is shown, as after a start-up on that day.
    m_actions.loadTodaysTable();
    m_s.stopDay.today = true;
    m_s.stopDay.date = platform::dateNumber(day);
    m_s.stopDay.count = 0;
    m_c.stopDayTimer.start(1000);
}

void EndOfDay::stopDayTick() {
    const platform::LocalDateTime now = m_clock.now();
    int& stopDayCount = m_s.stopDay.count;
    // A system left running decides again for each new day, as a start-up on that day would:
    // a broadcast day is broadcast, a further stop day starts its own count.
    const int today = platform::dateNumber(now);
    if (m_s.stopDay.date != 0 && today != m_s.stopDay.date) {
        const store::DayPlan plan = m_actions.planNewDay(now);
        if (!plan.stopDay()) {
            m_s.stopDay.today = false;
            m_actions.enterAutomaticOperation();
            // This very second belongs to the new table: a row at 00:00:00 rings.
            m_c.ticker.fire();
            return;
        }
        stopDayCount = 0;
        m_s.session.dayPlan = plan;
    }
    m_s.stopDay.date = today;
    m_s.session.weekday = text::weekdayOf(now.year, now.month, now.day);
    m_c.stopDayLine.setText(dateLineText(now, m_s.session));
    if (stopDayCount < 62) {
        ++stopDayCount;
    }
    // A dated stop says why; any other stop day reads as it always has.
    const std::string calendarLine = store::calendarDayLine(m_s.session.dayPlan);
    m_c.statusLine.setText(calendarLine.empty() ? "  今日停播！ " : calendarLine);
    if (stopDayCount < 4) {
        m_c.ticker.stop();
        if (m_player != nullptr) {
            m_player->stop();
        }
    }
    // The stored action, as written: a stop day follows the next start's default.
    const std::optional<EndOfDayAction> stored = m_s.config.storedEndOfDayAction();
    const std::string remaining = "[" + text::decimalText(62 - stopDayCount) + "]";
    if (stored == EndOfDayAction::PowerOff || stored == EndOfDayAction::Replay) {
        if (stopDayCount == 60) {
            powerOff();
        }
        m_c.hintLine.setColor(model::kRed);
        m_c.hintLine.setText("  系统将在60秒后自动关闭计算机！  " + remaining);
    }
    if (stored == EndOfDayAction::Quit) {
        m_c.hintLine.setColor(model::kGreen);
        m_c.hintLine.setText("  系统将在60秒后自动退出并返回操作系统！  " + remaining);
        if (stopDayCount == 60) {
            m_s.session.unlocked = true;
            m_actions.quit();
            return;
        }
    }
    // Compared as the broadcast clock compares, and only while the times are switched on.
    if (stored == EndOfDayAction::Wait &&
        (m_settings == nullptr || !m_settings->customShutdownOff)) {
        const std::string clock =
            text::normaliseTime(text::formatClockTime(now.hour, now.minute, now.second));
        for (int entry : {SystemConfig::kShutdownTimeOne, SystemConfig::kShutdownTimeTwo}) {
            if (m_s.config.entry(entry) == clock) {
                powerOff();
            }
        }
    }
}

void EndOfDay::powerOff() {
    // The power may go as soon as it is asked: the day's last writes must not be in a cache then.
    if (m_actions.flushWrites) {
        m_actions.flushWrites();
    }
    m_power.powerOff();
}

}  // namespace orvessa::scheduler
