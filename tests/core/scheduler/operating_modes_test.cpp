#include "clock_scenario.h"

namespace orvessa::scheduler {
namespace {

using platform::MessageAnswer;

class OperatingModes : public ClockScenario {};

TEST_F(OperatingModes, ManualOperationLetsTheItemPlayOn) {
    media("long.wav", 600);
    start({{"08:00:00", "long.wav", ""}}, "07:59:59");
    runFor(1);
    ASSERT_TRUE(state().isPlaying);
    form().manualOperation.click();
    EXPECT_TRUE(state().isPlaying);
    EXPECT_EQ(m_device.mode(), platform::MediaMode::Playing);
    EXPECT_FALSE(form().broadcastTimer.running());
    EXPECT_FALSE(form().manualOperation.enabled());
    EXPECT_TRUE(form().automaticOperation.enabled());
    EXPECT_TRUE(form().stopTool.enabled());
    EXPECT_FALSE(form().playTool.enabled());
    EXPECT_TRUE(form().grid.editable());
    EXPECT_FALSE(form().lockSystem.enabled());
    EXPECT_TRUE(form().mediaLibraryItem.enabled());
    EXPECT_EQ(form().statusLine.text(), "  ☆ 当前为手动操作状态，可对系统进行设置和修改！");
    EXPECT_EQ(form().hintLine.text(), "  ☆ 修改完成后请选择自动播出！");
    EXPECT_FALSE(engine().session().autoNaming);
    // F5 does nothing in manual operation; F8 reaches the options there.
    EXPECT_FALSE(form().triggerShortcut("F5"));
}

TEST_F(OperatingModes, AutomaticOperationStopsWhatPlaysAndStartsAtRowOne) {
    media("a.wav", 600);
    start({{"", "a.wav", ""}, {"", "a.wav", ""}}, "08:00:00");
    form().manualOperation.click();
    form().grid.select(3, 2);
    form().playTool.click();
    ASSERT_TRUE(state().isPlaying);
    // The menu's 周设置 opens the week setting only while the toolbar's offers it: not while an
    // item plays, although the menu item stays enabled then.
    ASSERT_TRUE(form().weekSettingItem.enabled());
    ASSERT_FALSE(form().weekSettingTool.enabled());
    EXPECT_TRUE(form().weekSettingItem.click());
    EXPECT_FALSE(form().weekSelector.visible());
    form().grid.setCell(2, 1, "edited");
    m_system->editor().setUnsaved(true);
    m_host.answers = {MessageAnswer::No};

    form().automaticOperation.click();
    EXPECT_FALSE(state().isPlaying) << "stopped first";
    ASSERT_FALSE(m_host.messages.empty());
    EXPECT_EQ(m_host.messages.back().text, "要保存当前数据吗？");
    EXPECT_EQ(form().grid.cell(2, 1), "item") << "No reloads the table from its file";
    EXPECT_EQ(state().currentRow, 1);
    EXPECT_TRUE(form().broadcastTimer.running());
    EXPECT_FALSE(form().grid.editable());
    EXPECT_TRUE(form().grid.rowSelect());
    EXPECT_TRUE(form().mediaLibraryItem.enabled())
        << "stays enabled once manual operation was entered";
    EXPECT_TRUE(form().lockSystem.enabled());
    EXPECT_FALSE(form().saveButton.enabled());
}

// That the player last played a folder says nothing of the rows a reload brings back: the
// morning bell is not rung again at night when the operator returns to automatic operation.
TEST_F(OperatingModes, ReturningAfterAFolderRowLeavesThePassedBellsUnrung) {
    fs::create_directory(m_dir / "AUDIO" / "d");
    for (const char* f : {"1.wav", "2.wav"}) {
        writeBytes(m_dir / "AUDIO" / "d" / f, "x");
        m_device.lengths[f] = 100000;
    }
    media("bell.wav", 8);
    start({{"06:30:00", "bell.wav", ""},
           {"17:45:00", library() + "d/", "18:05:00"},
           {"21:00:00", "bell.wav", ""}},
          "06:29:59");
    runFor(1);
    setTime("17:44:59");
    runUntil("18:47:00");
    form().manualOperation.click();
    setTime("19:47:00");
    log.clear();
    form().automaticOperation.click();
    runUntil("19:47:10");
    EXPECT_TRUE(log.empty()) << log.front();
    EXPECT_EQ(state().currentRow, 3) << "rows 1 and 2 are left behind";
}

TEST_F(OperatingModes, ForcedWeekdayAsksChangesAndLoads) {
    date = {2026, 12, 11};  // a Friday
    writeTable(3, {{"", "wednesday.wav", ""}});
    start({{"", "friday.wav", ""}}, "08:00:00");
    form().manualOperation.click();

    m_host.answers = {MessageAnswer::No};
    form().forcedWednesday.click();
    EXPECT_EQ(engine().config().entry(store::SystemConfig::kForcedWeekday), "0");
    EXPECT_TRUE(form().forcedAutomatic.checked());
    EXPECT_FALSE(form().forcedWednesday.checked()) << "No leaves the previous choice ticked";

    m_host.answers = {MessageAnswer::Yes};
    form().forcedWednesday.click();
    EXPECT_EQ(m_host.messages.back().text, "确实要改变作息时间吗？");
    EXPECT_EQ(engine().config().entry(store::SystemConfig::kForcedWeekday), "3");
    store::SystemConfig onDisk(m_dir.path());
    onDisk.load();
    EXPECT_EQ(onDisk.entry(store::SystemConfig::kForcedWeekday), "3");
    EXPECT_EQ(form().grid.cell(3, 1), "wednesday.wav");
    EXPECT_TRUE(form().forcedWednesday.checked());

    const std::size_t asked = m_host.messages.size();
    form().forcedWednesday.click();
    EXPECT_EQ(m_host.messages.size(), asked) << "the ticked item asks nothing";

    // The next automatic entry runs Wednesday's table on this Friday.
    form().automaticOperation.click();
    EXPECT_EQ(engine().session().tableFileName, "zxsj3.log");

    form().manualOperation.click();
    m_host.answers = {MessageAnswer::Yes};
    form().forcedAutomatic.click();
    EXPECT_EQ(engine().config().entry(store::SystemConfig::kForcedWeekday), "0");
    EXPECT_EQ(form().grid.cell(3, 1), "friday.wav");
}

TEST_F(OperatingModes, WeekSettingShowsTheSelectorsDay) {
    date = {2026, 12, 11};  // a Friday
    writeTable(1, {{"", "monday.wav", ""}});
    start({{"", "friday.wav", ""}}, "08:00:00");
    form().manualOperation.click();
    form().weekSelector.setItemIndex(0);
    EXPECT_EQ(form().statusLine.text(), "  ☆ 正在修改 星期一 作息时间表！");
    EXPECT_EQ(form().weekSelector.items()[0].textColor, model::kRed);
    EXPECT_EQ(form().weekSelector.items()[0].background, model::rgb(255, 251, 240));
    EXPECT_EQ(form().weekSelector.items()[4].textColor, model::kBlack);
    form().weekSettingTool.click();
    EXPECT_TRUE(form().weekSelector.visible());
    EXPECT_EQ(form().layout.gridHeight, 344 - 110);
    EXPECT_EQ(engine().session().tableFileName, "zxsj1.log");
    EXPECT_EQ(form().grid.cell(3, 1), "monday.wav");
}

TEST_F(OperatingModes, AutomaticOperationAfterAStopDayBroadcasts) {
    entries[store::SystemConfig::kStopMonday + 2] = "1";  // Wednesdays stop
    media("a.wav", 5);
    start({{"", "a.wav", ""}}, "08:00:00");
    EXPECT_TRUE(engine().stopDay().today);
    EXPECT_TRUE(form().stopDayTimer.running());
    EXPECT_FALSE(form().broadcastTimer.running());
    EXPECT_TRUE(form().manualOperation.enabled());
    EXPECT_FALSE(form().automaticOperation.enabled());
    runFor(3);
    EXPECT_EQ(form().statusLine.text(), "  今日停播！ ");
    EXPECT_TRUE(log.empty());

    form().manualOperation.click();
    form().automaticOperation.click();
    EXPECT_FALSE(form().stopDayTimer.running());
    runFor(2);
    EXPECT_EQ(log.front().substr(9), "open a.wav");
}

TEST_F(OperatingModes, StopDayComesFromTheFlagsAndTheListUnlessAllAreBroadcast) {
    writeBytes(m_dir / "zxsj0.gxr", text::utf8ToGbk("1,12-8,12-10,冬假,\r\n"));
    start({{"", "a.wav", ""}}, "08:00:00");
    EXPECT_TRUE(engine().stopDay().today) << "listed today";

    m_system.reset();
    entries[store::SystemConfig::kBroadcastHolidays] = "1";
    start({{"", "a.wav", ""}}, "08:00:00");
    EXPECT_FALSE(engine().stopDay().today) << "the broadcast-all switch ignores the list";
    EXPECT_TRUE(form().broadcastAllBox.checked());

    m_system.reset();
    entries[store::SystemConfig::kStopMonday + 2] = "1";
    start({{"", "a.wav", ""}}, "08:00:00");
    EXPECT_TRUE(engine().stopDay().today) << "the weekday flag still counts";
    EXPECT_TRUE(form().stopWednesdayBox.checked());
}

}  // namespace
}  // namespace orvessa::scheduler
