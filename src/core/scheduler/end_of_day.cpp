// The end of the day: what follows the last row, the custom shutdown times, the stop-day
// ticker and the shutdown of the computer.

#include "core/editing/tform4.h"
#include "core/playback/item_player.h"
#include "core/text/date_text.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"
#include "core/ui/tform1.h"

namespace orvessa::ui {

using store::SystemConfig;

namespace {

// Seconds of the day of a clock text "H:mm:ss" or "hh:mm:ss"; -1 when it is none.
int secondsOfDay(std::string_view clockText) {
    const std::string t = text::normaliseTime(clockText);
    if (t.size() != 8 || t[2] != ':' || t[5] != ':') {
        return -1;
    }
    const auto h = text::parseDecimal(t.substr(0, 2));
    const auto m = text::parseDecimal(t.substr(3, 2));
    const auto s = text::parseDecimal(t.substr(6, 2));
    if (!h || !m || !s) {
        return -1;
    }
    return *h * 3600 + *m * 60 + *s;
}

int dateKey(const platform::LocalDateTime& t) {
    return t.year * 10000 + t.month * 100 + t.day;
}

std::string clockTextOf(int seconds) {
    seconds = ((seconds % 86400) + 86400) % 86400;
    return text::formatClockTime(seconds / 3600, seconds % 3600 / 60, seconds % 60);
}

}  // namespace

bool TForm1::endOfTable() {
    if (player != nullptr) {
        player->stop();
    }
    playback::ClockState& c = clockState;
    if (--c.endCountdown == 0) {
        c.endCountdown = 30;
    }
    if (c.shutdownArmed && c.endCountdown < 30) {
        c.shutdownTime = clockTextOf(secondsOfDay(Panel1.text()) + 60);
        c.shutdownArmed = false;
    }
    const int action = form4 != nullptr ? form4->endOfDayAction() : config.endOfDayAction();
    if (action == 1) {
        unlocked = true;
        Q1Click();
        return true;
    }
    if (action == 2 || c.nowTime == "00:00:00") {
        enterAutomaticOperation();
        return true;
    }
    if (action == 0 && Panel1.text() == c.shutdownTime) {
        exit1Click();
    }
    return false;
}

void TForm1::customShutdownCheck() {
    if (form4 == nullptr || form4->customTimesDisabled() || form4->endOfDayAction() != 3) {
        return;
    }
    for (int entry : {SystemConfig::kShutdownTimeOne, SystemConfig::kShutdownTimeTwo}) {
        if (config.entry(entry) == clockState.nowTime) {
            exit1Click();
        }
    }
}

bool TForm1::showCountdown() {
    // The countdown announces the action that will run: the dialog's live choice.
    const int action = form4 != nullptr ? form4->endOfDayAction() : config.endOfDayAction();
    if (action != 0 || playback.currentRow <= Grid.table().rowCount() - 1) {
        return false;
    }
    const int now = secondsOfDay(Panel1.text());
    const int shutdown = secondsOfDay(clockState.shutdownTime);
    if (now < 0 || shutdown < 0 || !(shutdown <= now + 60 && now < shutdown)) {
        return false;
    }
    Label1.setColor(model::kRed);
    Label1.setText("  ☆ 系统将在 " + clockTextOf(shutdown - now) + " 后自动关机！");
    Label2.setColor(model::kGreen);
    Label2.setText("  ☆ 若不想立即关闭计算机可退出本系统。");
    return true;
}

bool TForm1::newDayCheck(const platform::LocalDateTime& at) {
    const int date = dateKey(at);
    if (automaticDate == 0 || date == automaticDate || playback.isPlaying) {
        return false;
    }
    // The operator said no bells on a stop day, whether the system started on it or ran into it.
    if (isStopDay(at)) {
        enterStopDay(at);
        return true;
    }
    // A missed midnight second, or an item that played across midnight, must not keep the new
    // day's table from starting.
    enterAutomaticOperation();
    return true;
}

void TForm1::enterStopDay(const platform::LocalDateTime& day) {
    Timer1.stop();
    if (player != nullptr) {
        player->stop();
    }
    // The grid shows the stop day's own table, as after a start-up on that day.
    autoNaming = true;
    loadClick();
    automaticDate = dateKey(day);
    stopDay = true;
    stopDayDate = dateKey(day);
    stopDayCount = 0;
    Timer4.start(1000);
}

void TForm1::Timer4Timer() {
    const platform::LocalDateTime now = m_clock.now();
    // A system left running decides again for each new day, as a start-up on that day would:
    // a broadcast day is broadcast, a further stop day starts its own count.
    const int today = dateKey(now);
    if (stopDayDate != 0 && today != stopDayDate) {
        if (!isStopDay(now)) {
            stopDay = false;
            enterAutomaticOperation();
            // This very second belongs to the new table: a row at 00:00:00 rings.
            Timer1.fire();
            return;
        }
        stopDayCount = 0;
    }
    stopDayDate = today;
    W = text::weekdayOf(now.year, now.month, now.day);
    Label3.setText(text::formatDate(now.year, now.month, now.day) + "   星期" +
                   text::weekdayCharacter(W));
    if (stopDayCount < 62) {
        ++stopDayCount;
    }
    Label1.setText("  今日停播！ ");
    if (stopDayCount < 4) {
        Timer1.stop();
        if (player != nullptr) {
            player->stop();
        }
    }
    const std::string& stored = config.entry(SystemConfig::kEndOfDayAction);
    const std::string remaining = "[" + text::decimalText(62 - stopDayCount) + "]";
    if (stored == "0" || stored == "2") {
        if (stopDayCount == 60) {
            exit1Click();
        }
        Label2.setColor(model::kRed);
        Label2.setText("  系统将在60秒后自动关闭计算机！  " + remaining);
    }
    if (stored == "1") {
        Label2.setColor(model::kGreen);
        Label2.setText("  系统将在60秒后自动退出并返回操作系统！  " + remaining);
        if (stopDayCount == 60) {
            unlocked = true;
            Q1Click();
            return;
        }
    }
    // Compared as the broadcast clock compares, and only while the times are switched on.
    if (stored == "3" && (form4 == nullptr || !form4->customTimesDisabled())) {
        const std::string clock =
            text::normaliseTime(text::formatClockTime(now.hour, now.minute, now.second));
        for (int entry : {SystemConfig::kShutdownTimeOne, SystemConfig::kShutdownTimeTwo}) {
            if (config.entry(entry) == clock) {
                exit1Click();
            }
        }
    }
}

void TForm1::exit1Click() {
    m_power.powerOff();
}

}  // namespace orvessa::ui
