#include "clock_scenario.h"
#include "core/scheduler/wake_time.h"
#include "fakes/fake_wake_alarm.h"
#include "support/temp_dir.h"

namespace orvessa::scheduler {
namespace {

// Wednesday 2026-12-09's table rings at 17:00; no other day has a table, so the next first bell
// is next Wednesday's.
class WakeScenario : public ClockScenario {
protected:
    WakeScenario() { wakeAlarm = &m_alarm; }

    static std::string text(const std::optional<platform::LocalDateTime>& t) {
        return t ? std::to_string(t->day) + " " + std::to_string(t->hour) + ":" +
                       std::to_string(t->minute)
                 : "none";
    }

    fakes::FakeWakeAlarm m_alarm;
};

TEST_F(WakeScenario, TheWakeTimeIsWorkedOutAgainAsThePowerGoes) {
    std::size_t keptAtPowerOff = 0;
    m_power.onPowerOff = [&] { keptAtPowerOff = m_alarm.kept.size(); };
    entries[5] = "0";
    media("last.wav", 10);
    start({{"17:00:00", "last.wav", ""}}, "16:59:59");
    ASSERT_FALSE(m_alarm.kept.empty()) << "kept from the start";
    EXPECT_EQ(text(m_alarm.kept.back()), "16 16:50");
    const std::size_t before = m_alarm.kept.size();
    runUntil("17:01:42");
    ASSERT_EQ(m_power.powerOffs, 1);
    EXPECT_EQ(keptAtPowerOff, before + 1) << "no tick before wrote it again";
    EXPECT_EQ(text(m_alarm.kept.back()), "16 16:50");
}

TEST_F(WakeScenario, TheOptionsSetTheMarginAndWhetherThereIsAWakeTime) {
    // Waiting by default: a stop day does not power off either.
    entries[5] = "3";
    start({{"17:00:00", "x.wav", ""}}, "12:00:00");
    ASSERT_EQ(text(m_alarm.kept.back()), "none");
    editing::OptionsDialog& options = m_system->optionsDialog();
    EXPECT_TRUE(options.wakeMarginBox.visible());
    options.endActionGroup.setItemIndex(0);
    EXPECT_EQ(text(m_alarm.kept.back()), "9 16:50");
    options.wakeMarginBox.setPosition(30);
    EXPECT_EQ(text(m_alarm.kept.back()), "9 16:30") << "today's bell is still ahead";
    EXPECT_EQ(readWakeMargin(m_dir.path()).minutes, 30);
    EXPECT_EQ(options.wakeLine.text(),
              "下次定时开机：2026-12-09 星期三 16:30:00（zxsj3.log 第一个定时项目 17:00:00 前 "
              "30 分钟）");

    // Waiting, with no daily shutdown time switched on, the PC stays on.
    options.endActionGroup.setItemIndex(3);
    EXPECT_EQ(text(m_alarm.kept.back()), "none");
    EXPECT_EQ(options.wakeLine.text(), "本系统不会自动关机，不需要定时开机。");

    m_alarm.missing = "定时开机组件没有安装或没有启用";
    options.endActionGroup.setItemIndex(0);
    EXPECT_EQ(options.wakeLine.color(), model::kRed);
}

}  // namespace
}  // namespace orvessa::scheduler
