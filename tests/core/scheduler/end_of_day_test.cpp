#include "clock_scenario.h"

namespace orvessa::scheduler {
namespace {

class EndOfDay : public ClockScenario {
protected:
    void chooseAction(int action) { m_system->optionsDialog().endActionGroup.setItemIndex(action); }
};

TEST_F(EndOfDay, ActionZeroCountsDownAndShutsDownAfterTheLastRow) {
    entries[5] = "0";
    media("last.wav", 10);
    start({{"17:00:00", "last.wav", ""}}, "16:59:59");
    runUntil("17:00:11");
    ASSERT_EQ(log.back(), "17:00:11 end");
    // The end is seen at 17:00:11; the 31st tick at the end of the table, 17:00:42, sets the
    // time one minute on.
    runUntil("17:00:41");
    EXPECT_EQ(form().session.clock.shutdownTime, "  :  :  ");
    runUntil("17:00:42");
    EXPECT_EQ(form().session.clock.shutdownTime, "17:01:42");
    runUntil("17:01:00");
    EXPECT_EQ(form().statusLine.text(), "  ☆ 系统将在 0:00:42 后自动关机！");
    EXPECT_EQ(form().statusLine.color(), model::kRed);
    EXPECT_EQ(form().hintLine.text(), "  ☆ 若不想立即关闭计算机可退出本系统。");
    runUntil("17:01:41");
    EXPECT_EQ(m_power.powerOffs, 0);
    runUntil("17:01:42");
    EXPECT_EQ(m_power.powerOffs, 1);
    runUntil("17:05:00");
    EXPECT_EQ(m_power.powerOffs, 1) << "asked once per arming";
}

// Keeps, in one order, what the day recorded, its flushes to the disk and the power-off.
class OrderedRecord : public BroadcastRecord {
public:
    explicit OrderedRecord(std::vector<std::string>& order) : m_order(order) {}
    void record(const BroadcastEvent& e) override {
        m_order.push_back(e.type == BroadcastEvent::Type::Stopped ? "stopped" : "event");
    }
    void flush() override { m_order.push_back("flush"); }

private:
    std::vector<std::string>& m_order;
};

TEST_F(EndOfDay, TheDaysLastLinesAreOnTheDiskBeforeThePowerIsSwitchedOff) {
    std::vector<std::string> order;
    OrderedRecord lines(order);
    record = &lines;
    m_power.onPowerOff = [&order] { order.push_back("power off"); };
    entries[5] = "0";
    media("last.wav", 10);
    start({{"17:00:00", "last.wav", ""}}, "16:59:59");
    runUntil("17:01:42");
    ASSERT_EQ(m_power.powerOffs, 1);
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(order.end() - 2, order.end()),
              (std::vector<std::string>{"flush", "power off"}));
    EXPECT_NE(std::find(order.begin(), order.end(), "stopped"), order.end());

    // A custom shutdown time while an item still plays flushes first as well.
    m_system.reset();
    order.clear();
    entries[5] = "3";
    entries[2] = "17:00:05";
    start({{"17:00:00", "last.wav", ""}}, "16:59:59");
    runUntil("17:00:05");
    ASSERT_EQ(m_power.powerOffs, 2);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(order.end() - 2, order.end()),
              (std::vector<std::string>{"flush", "power off"}));
    m_system.reset();
}

TEST_F(EndOfDay, CountdownFollowsTheLiveChoice) {
    // Stored default "wait", live choice "shut down": the operator is warned all the same.
    media("last.wav", 2);
    start({{"", "last.wav", ""}}, "17:00:00");
    chooseAction(0);
    runUntil("17:00:50");
    EXPECT_TRUE(form().statusLine.text().starts_with("  ☆ 系统将在 ")) << form().statusLine.text();
    runUntil("17:02:00");
    EXPECT_EQ(m_power.powerOffs, 1);
}

TEST_F(EndOfDay, ActionOneQuitsWithoutThePassword) {
    entries[5] = "1";
    entries[6] = "0";  // locked
    media("last.wav", 2);
    start({{"", "last.wav", ""}}, "17:00:00");
    runUntil("17:00:04");  // the item ends and the table runs out
    EXPECT_EQ(m_host.quitRequests, 0);
    runUntil("17:00:05");
    EXPECT_EQ(m_host.quitRequests, 1) << "the first tick at the end of the table quits";
    EXPECT_TRUE(m_host.shownModally.empty()) << "no password asked";
}

TEST_F(EndOfDay, ActionTwoReplaysAndLeavesPastRows) {
    entries[5] = "2";
    media("a.wav", 3);
    media("b.wav", 3);
    start({{"08:00:00", "a.wav", ""}, {"", "b.wav", ""}, {"", "b.wav", ""}}, "07:59:59");
    runUntil("08:00:30");
    // a, b, b; then the replay finds 08:00:00 passed: row 1 and its followers are left.
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.ends_with("open a.wav"); }),
              1);
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.ends_with("open b.wav"); }),
              2);
}

TEST_F(EndOfDay, CustomTimesShutDownWhileWaitingUnlessSwitchedOff) {
    entries[2] = "22:30:00";
    entries[26] = "0";
    start({{"23:00:00", "late.wav", ""}}, "22:29:55");
    runUntil("22:30:00");
    EXPECT_EQ(m_power.powerOffs, 1) << "whether or not the table has run out";

    m_system.reset();
    m_power.powerOffs = 0;
    entries[26] = "1";
    start({{"23:00:00", "late.wav", ""}}, "22:29:55");
    runUntil("22:30:05");
    EXPECT_EQ(m_power.powerOffs, 0);
}

TEST_F(EndOfDay, StopDayCountsDownAndShutsDownAtTheSixtiethTick) {
    entries[5] = "0";
    entries[store::SystemConfig::kStopMonday + 2] = "1";
    start({{"08:00:00", "a.wav", ""}}, "08:00:00");
    runFor(1);
    EXPECT_EQ(form().statusLine.text(), "  今日停播！ ");
    EXPECT_EQ(form().hintLine.text(), "  系统将在60秒后自动关闭计算机！  [61]");
    EXPECT_EQ(form().hintLine.color(), model::kRed);
    runFor(58);
    EXPECT_EQ(m_power.powerOffs, 0);
    runFor(1);
    EXPECT_EQ(form().hintLine.text(), "  系统将在60秒后自动关闭计算机！  [2]");
    EXPECT_EQ(m_power.powerOffs, 1);
    runFor(10);
    EXPECT_EQ(form().hintLine.text(), "  系统将在60秒后自动关闭计算机！  [0]");
    EXPECT_EQ(m_power.powerOffs, 1);
}

TEST_F(EndOfDay, StopDayCustomTimesArePaddedAndHonourTheBox) {
    entries[5] = "3";
    entries[2] = "09:00:00";
    entries[26] = "0";
    entries[store::SystemConfig::kStopMonday + 2] = "1";
    start({{"08:00:00", "a.wav", ""}}, "08:59:55");
    runFor(5);
    EXPECT_EQ(m_power.powerOffs, 1) << "a time before 10 o'clock matches too";

    m_system.reset();
    m_power.powerOffs = 0;
    entries[26] = "1";
    start({{"08:00:00", "a.wav", ""}}, "08:59:55");
    runFor(10);
    EXPECT_EQ(m_power.powerOffs, 0);
}

TEST_F(EndOfDay, AWaitingSystemStartsTheNextDaysTableAfterMidnight) {
    media("wed.wav", 2);
    media("thu.wav", 2);
    writeTable(4, {{"0:00:30", "thu.wav", ""}});
    start({{"23:00:00", "wed.wav", ""}}, "22:59:59");
    runUntil("23:00:10");
    // The computer sleeps through midnight: no tick sees 00:00:00.
    setTime("23:59:50");
    runFor(1);
    m_clock.set({2026, 12, 10, 0, 0, 20});
    tick();
    EXPECT_EQ(form().session.tableFileName, "zxsj4.log");
    EXPECT_EQ(state().currentRow, 1);
    runFor(15);
    EXPECT_TRUE(log.back().ends_with("thu.wav") || log.back().ends_with("end")) << log.back();
    EXPECT_NE(std::find(log.begin(), log.end(), "00:00:30 open thu.wav"), log.end());
}

TEST_F(EndOfDay, AnItemPlayingAcrossMidnightFinishesThenTheNewDayStarts) {
    media("night.wav", 120);
    media("thu.wav", 2);
    writeTable(4, {{"", "thu.wav", ""}});
    start({{"23:59:30", "night.wav", ""}}, "23:59:29");
    runFor(60);
    EXPECT_EQ(form().session.tableFileName, "zxsj3.log") << "the item is not interrupted";
    EXPECT_TRUE(state().isPlaying);
    runFor(70);
    EXPECT_EQ(form().session.tableFileName, "zxsj4.log");
    runFor(3);
    EXPECT_TRUE(log.back().ends_with("open thu.wav") || log.back().ends_with("end"));
}

TEST_F(EndOfDay, ACustomShutdownAtMidnightIsNotLostToTheNewDay) {
    entries[2] = "00:00:00";
    entries[26] = "0";
    media("wed.wav", 2);
    writeTable(4, {{"08:00:00", "wed.wav", ""}});
    start({{"23:00:00", "wed.wav", ""}}, "22:59:59");
    runUntil("23:59:59");
    ASSERT_EQ(m_power.powerOffs, 0);
    runFor(1);
    EXPECT_EQ(m_power.powerOffs, 1);
}

// Stop days decided again at each new date, for a system left running across midnight.
class StopDays : public EndOfDay {
protected:
    StopDays() { date = {2026, 12, 13}; }  // a Sunday
    void startSunday(const std::string& at) {
        media("sun.wav", 2);
        media("mon.wav", 2);
        writeTable(1, {{"0:00:00", "mon.wav", ""}, {"0:00:30", "mon.wav", ""}});
        start({{"23:59:40", "sun.wav", ""}}, at);
    }
    static constexpr int kSunday = store::SystemConfig::kStopMonday + 6;
    static constexpr int kMonday = store::SystemConfig::kStopMonday;
};

TEST_F(StopDays, AWaitingSystemBroadcastsMondayFromMidnightAfterASundayOff) {
    entries[kSunday] = "1";
    startSunday("23:59:00");
    runFor(59);
    EXPECT_EQ(form().statusLine.text(), "  今日停播！ ");
    EXPECT_TRUE(log.empty()) << "nothing of Sunday's table plays";
    runFor(1);
    EXPECT_EQ(form().session.tableFileName, "zxsj1.log");
    EXPECT_FALSE(form().stopDayTimer.running());
    EXPECT_TRUE(form().broadcastTimer.running());
    EXPECT_EQ(log, (Log{"00:00:00 open mon.wav"}));
    runFor(40);
    EXPECT_NE(std::find(log.begin(), log.end(), "00:00:30 open mon.wav"), log.end());
}

TEST_F(StopDays, ASecondStopDayRestartsTheTickersCount) {
    entries[5] = "0";
    entries[kSunday] = "1";
    entries[kMonday] = "1";
    startSunday("23:59:30");
    runFor(30);  // 00:00:00, the 30th tick of Sunday and the first of Monday
    EXPECT_EQ(form().hintLine.text(), "  系统将在60秒后自动关闭计算机！  [61]");
    runFor(58);
    EXPECT_EQ(m_power.powerOffs, 0);
    runFor(1);
    EXPECT_EQ(m_power.powerOffs, 1);
    EXPECT_TRUE(log.empty());
}

TEST_F(StopDays, RunningIntoAListedHolidayPlaysNothingUnlessStartedByHand) {
    writeBytes(m_dir / "zxsj0.gxr", "1,12-14,,x,\r\n");
    startSunday("23:59:39");
    runFor(25);
    EXPECT_EQ(log, (Log{"23:59:40 open sun.wav", "23:59:43 end"}));
    EXPECT_TRUE(form().stopDayTimer.running());
    EXPECT_FALSE(form().broadcastTimer.running());
    EXPECT_EQ(form().session.tableFileName, "zxsj1.log")
        << "the grid shows the holiday's own table";
    EXPECT_EQ(form().statusLine.text(), "  今日停播！ ");

    // The operator's own switch still broadcasts on a stop day.
    ASSERT_TRUE(form().manualOperation.click());
    ASSERT_TRUE(form().automaticOperation.click());
    runFor(30);
    EXPECT_NE(std::find(log.begin(), log.end(), "00:00:30 open mon.wav"), log.end());
}

}  // namespace
}  // namespace orvessa::scheduler
