#include "core/scheduler/clock_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clock_scenario.h"
#include "core/scheduler/as_run.h"
#include "fakes/fake_clock_sync.h"
#include "fakes/fake_day_checker.h"

namespace orvessa::scheduler {
namespace {

const std::string kWarning = "  ☆ 系统时钟未与网络时间同步，铃声时间可能不准！";

platform::ClockSyncState unsynchronised(std::optional<bool> networkTimeOn) {
    return {false, std::nullopt, networkTimeOn, false};
}

TEST(ClockWarning, AClockIsTrustedOnlyWhileSynchronisedWithinHalfASecond) {
    EXPECT_EQ(clockWarningOf({true, 0.5, true, true}), "");
    EXPECT_EQ(clockWarningOf({true, std::nullopt, std::nullopt, std::nullopt}), "");
    EXPECT_EQ(clockWarningOf({true, 0.6, true, true}), kWarning);
    EXPECT_EQ(clockWarningOf(unsynchronised(std::nullopt)), kWarning);
    EXPECT_EQ(clockWarningOf(unsynchronised(true)), kWarning);
    EXPECT_EQ(clockWarningOf(unsynchronised(false)), kWarning + "（网络时间已关闭）");

    EXPECT_EQ(clockRecordOf({true, 0.01, true, true}), "clock synchronised");
    EXPECT_EQ(clockRecordOf({true, 1.24, true, true}), "clock unsynchronised ntp=on error=1.2s");
    EXPECT_EQ(clockRecordOf(unsynchronised(false)), "clock unsynchronised ntp=off");
    EXPECT_EQ(clockRecordOf(unsynchronised(true)), "clock unsynchronised ntp=unreached");
    EXPECT_EQ(clockRecordOf(unsynchronised(std::nullopt)), "clock unsynchronised");
}

// The clock lines of the as-run record.
class ClockLines : public BroadcastRecord {
public:
    void record(const BroadcastEvent& event) override {
        if (event.type == BroadcastEvent::Type::Clock) {
            lines.push_back(as_run::line(event));
        }
    }
    std::vector<std::string> lines;
};

// The running system on a PC whose clock the probe reports.
class ClockWatchScenario : public ClockScenario {
protected:
    ClockWatchScenario() {
        clockSync = &probe;
        dayChecker = &checker;
        record = &clockLines;
    }
    ~ClockWatchScenario() override { m_system.reset(); }

    // The status line's texts over one whole rotation of the hints, from the next second on.
    std::vector<std::string> hintRotation() {
        std::vector<std::string> shown;
        const int id =
            form().statusLine.changed.connect([&] { shown.push_back(form().statusLine.text()); });
        runFor(51);
        form().statusLine.changed.disconnect(id);
        return shown;
    }

    static bool contains(const std::vector<std::string>& texts, const std::string& text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    fakes::FakeClockSync probe;
    fakes::FakeDayChecker checker;
    ClockLines clockLines;
};

TEST_F(ClockWatchScenario, AClockFoundWrongIsShownUntilItIsSynchronisedAgain) {
    media("bell.wav", 5);
    probe.state = unsynchronised(true);
    start({{"09:00:00", "bell.wav", ""}}, "07:59:50");

    // Start-up reads the clock once and says what it found, once.
    EXPECT_EQ(probe.reads, 1);
    EXPECT_EQ(clockLines.lines,
              (std::vector<std::string>{"2026-12-09 07:59:50 clock unsynchronised ntp=unreached"}));
    EXPECT_EQ(form().trayIcon.tip, "Orvessa\n☆ 系统时钟未与网络时间同步，铃声时间可能不准！");
    runFor(1);
    EXPECT_EQ(form().stopDayLine.text(), "⚠ 2026-12-09   星期三");
    ASSERT_NE(m_system->preflightCheck(), nullptr);
    const model::TextControl& preflightLine = m_system->preflightCheck()->clockLine;
    EXPECT_TRUE(preflightLine.visible());
    EXPECT_EQ(preflightLine.text(), "☆ 系统时钟未与网络时间同步，铃声时间可能不准！");

    // The ten-minute reading finds it the same: nothing new is recorded.
    setTime("08:10:00");
    form().clockSyncTimer.fire();
    EXPECT_EQ(probe.reads, 2);
    EXPECT_EQ(clockLines.lines.size(), 1u);

    // The operator switches network time off: the warning says so.
    probe.state = unsynchronised(false);
    setTime("08:20:00");
    form().clockSyncTimer.fire();
    EXPECT_EQ(clockLines.lines.back(), "2026-12-09 08:20:00 clock unsynchronised ntp=off");
    EXPECT_EQ(engine().session().clockWarning, kWarning + "（网络时间已关闭）");

    // Synchronised ten minutes later: every mark goes, and the record says so once.
    probe.state = {true, 0.002, true, true};
    setTime("08:30:00");
    form().clockSyncTimer.fire();
    setTime("08:40:00");
    form().clockSyncTimer.fire();
    EXPECT_EQ(clockLines.lines,
              (std::vector<std::string>{"2026-12-09 07:59:50 clock unsynchronised ntp=unreached",
                                        "2026-12-09 08:20:00 clock unsynchronised ntp=off",
                                        "2026-12-09 08:30:00 clock synchronised"}));
    EXPECT_EQ(engine().session().clockWarning, "");
    EXPECT_EQ(form().trayIcon.tip, "Orvessa");
    EXPECT_FALSE(preflightLine.visible());
    runFor(1);  // the warning gives way to the hints
    const std::vector<std::string> hints = hintRotation();
    EXPECT_FALSE(contains(hints, kWarning));
    EXPECT_FALSE(contains(hints, kWarning + "（网络时间已关闭）"));
    EXPECT_EQ(form().stopDayLine.text(), "2026-12-09   星期三");
}

// The warning is no hint among others: it stands in red, in every second, until the clock is
// synchronised; while an item plays it takes the line below the item's.
TEST_F(ClockWatchScenario, TheWarningStandsInRedWhileTheClockIsUnsynchronised) {
    media("bell.wav", 8);
    probe.state = unsynchronised(true);
    start({{"08:01:00", "bell.wav", ""}}, "07:59:50");
    model::TextControl& line1 = form().statusLine;
    model::TextControl& line2 = form().hintLine;
    for (int i = 0; i < 60; ++i) {
        runFor(1);
        ASSERT_EQ(line1.text(), kWarning) << now();
        ASSERT_EQ(line1.color(), model::kRed) << now();
    }
    runUntil("08:01:07");
    ASSERT_TRUE(state().isPlaying);
    EXPECT_TRUE(line1.text().starts_with("正在播放：")) << line1.text();
    EXPECT_EQ(line1.color(), model::kGreen);
    EXPECT_EQ(line2.text(), kWarning);
    EXPECT_EQ(line2.color(), model::kRed);
    runUntil("08:01:20");
    ASSERT_FALSE(state().isPlaying);
    EXPECT_EQ(line1.text(), kWarning);
    EXPECT_EQ(line1.color(), model::kRed);

    // Synchronised: the hints turn again, in green, and the warning is gone from both lines.
    probe.state = {true, 0.002, true, true};
    form().clockSyncTimer.fire();
    runFor(1);
    EXPECT_EQ(line1.color(), model::kGreen);
    const std::vector<std::string> hints = hintRotation();
    EXPECT_FALSE(contains(hints, kWarning));
    EXPECT_TRUE(contains(hints, engine().startUp().hints[2]));
    EXPECT_NE(line2.text(), kWarning);
}

TEST_F(ClockWatchScenario, AClockRightAtStartUpIsReadEveryTenMinutesAndRecordsNothing) {
    probe.state = {true, 0.002, true, true};
    start({}, "07:59:50");
    EXPECT_EQ(form().clockSyncTimer.interval(), 600000);
    EXPECT_TRUE(form().clockSyncTimer.running());
    EXPECT_TRUE(clockLines.lines.empty());
    EXPECT_EQ(engine().session().clockWarning, "");
    EXPECT_EQ(form().trayIcon.tip, "Orvessa");
}

TEST_F(ClockWatchScenario, WithoutAProbeTheClockIsNeverReadNorWarnedAbout) {
    clockSync = nullptr;
    probe.state = unsynchronised(false);
    start({}, "07:59:50");
    EXPECT_EQ(probe.reads, 0);
    EXPECT_FALSE(form().clockSyncTimer.running());
    EXPECT_TRUE(clockLines.lines.empty());
    EXPECT_EQ(engine().session().clockWarning, "");
}

}  // namespace
}  // namespace orvessa::scheduler
