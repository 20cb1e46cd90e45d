#include "settings_scenario.h"

namespace orvessa::editing {
namespace {

class Options : public SettingsScenario {};

TEST_F(Options, ChoicesActAtOnceButReachTheFileOnlyThroughTheirBoxes) {
    entries[SystemConfig::kEndOfDayAction] = "0";
    startEditing(kThreeRows);
    EXPECT_TRUE(form().triggerShortcut("F8"));
    OptionsDialog& o = options();

    o.RG1.setItemIndex(1);
    EXPECT_TRUE(o.settings().randomOrder);
    EXPECT_EQ(stored(SystemConfig::kPlayOrder), "0");
    o.CheckBox2.click();
    EXPECT_EQ(stored(SystemConfig::kPlayOrder), "1");

    o.RG2.setItemIndex(3);  // 等待
    o.Button4.click();
    EXPECT_EQ(o.settings().endOfDayAction, store::EndOfDayAction::Wait);
    EXPECT_EQ(stored(SystemConfig::kEndOfDayAction), "0");
    o.CheckBox3.click();
    o.Button4.click();
    EXPECT_EQ(stored(SystemConfig::kEndOfDayAction), "3");

    // Shutdown times are stored only when complete, and can be switched off.
    o.CheckBox1.click();
    EXPECT_EQ(stored(SystemConfig::kCustomShutdownDisabled), "1");
    EXPECT_TRUE(o.settings().customShutdownOff);
    EXPECT_FALSE(o.MaskEdit1.enabled());
    o.CheckBox1.click();
    EXPECT_EQ(stored(SystemConfig::kCustomShutdownDisabled), "0");

    // The clock compares "09:00:00"; a blank first digit would never match it.
    o.MaskEdit1.setText(" 9:00:00");
    o.MaskEdit2.setText("17:45:00");
    o.Button3.click();
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ(o.MaskEdit1.text(), "09:00:00");
    EXPECT_EQ(stored(SystemConfig::kShutdownTimeOne), "09:00:00");

    o.MaskEdit2.setText("12:3_:__");
    o.Button3.click();
    EXPECT_EQ(lastMessage().text, "时间格式错误！\r\r应为8位英文半角符号（hh:mm:ss）！");
    EXPECT_EQ(stored(SystemConfig::kShutdownTimeTwo), "17:45:00");
}

TEST_F(Options, PathFieldRowButtonsAndSliderWorkOnTheSelectedRow) {
    startEditing(kThreeRows);
    OptionsDialog& o = options();
    // The tree's first folder is the program directory, which names no item.
    EXPECT_TRUE(o.pathPlaceholder);
    EXPECT_EQ(o.treeFolder, m_dir.path().string());
    EXPECT_TRUE(o.Button1.enabled());
    const std::string before = form().Grid.cell(3, 1);
    o.Button1.click();
    EXPECT_EQ(form().Grid.cell(3, 1), before) << "the placeholder is no path";

    form().Grid.click(3, 2);
    o.folderChanged("/srv/music");
    EXPECT_EQ(o.Edit1.text(), "/srv/music/");
    o.Button1.click();
    EXPECT_EQ(form().Grid.cell(3, 2), "/srv/music/");

    o.Edit1.setText("music");
    o.Button1.click();
    EXPECT_EQ(form().Grid.cell(3, 2), "/srv/music/") << "a bare word is no file";

    o.Button6.click();  // closing brings the placeholder back
    EXPECT_TRUE(o.pathPlaceholder);
    form().Grid.click(3, 1);
    o.Button1.click();
    EXPECT_EQ(form().Grid.cell(3, 1), "a.wav");

    // The row buttons stop at the ends of the table; the slider follows the row's volume.
    form().Grid.editCell(5, 2, "90");
    form().Grid.click(1, 1);
    form().xuanxiang.click();
    EXPECT_FALSE(o.previousRow.enabled());
    o.nextRow.click();
    EXPECT_EQ(o.TrackBar1.position(), 90);
    EXPECT_EQ(m_device.left, 90 * 256);
    o.nextRow.click();
    EXPECT_EQ(form().Grid.row(), 3);
    EXPECT_FALSE(o.nextRow.enabled());
    EXPECT_TRUE(o.previousRow.enabled());

    o.TrackBar1.setPosition(120);
    EXPECT_EQ(form().Grid.cell(5, 3), "120");
    EXPECT_EQ(m_device.left, 120 * 256);
    EXPECT_EQ(o.settings().volume, 120);
}

TEST_F(Options, UnreadableIndexesFallBackAndTheClockStillStarts) {
    for (int k :
         {SystemConfig::kEndOfDayAction, SystemConfig::kPasswordMode, SystemConfig::kPlayOrder}) {
        entries[static_cast<std::size_t>(k)] = "x";
    }
    start(kThreeRows, "08:00:00");
    EXPECT_TRUE(form().broadcastTimer.running());
    EXPECT_EQ(options().RG2.itemIndex(), 3);
    // The mode the system runs in: anything but "0" lets anyone operate it.
    EXPECT_TRUE(engine().session().unlocked);
    EXPECT_EQ(options().RG3.itemIndex(), 1);
    EXPECT_EQ(options().RG1.itemIndex(), 0);
}

}  // namespace
}  // namespace orvessa::editing
