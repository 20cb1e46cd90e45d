#include "settings_scenario.h"

namespace orvessa::editing {
namespace {

class Options : public SettingsScenario {};

TEST_F(Options, ChoicesActAtOnceButReachTheFileOnlyThroughTheirBoxes) {
    entries[SystemConfig::kEndOfDayAction] = "0";
    startEditing(kThreeRows);
    EXPECT_TRUE(form().triggerShortcut("F8"));
    EXPECT_EQ(m_host.shownModally, std::vector<std::string>{"Form4"});
    TForm4& o = options();

    o.RG1.setItemIndex(1);
    EXPECT_TRUE(o.randomOrder());
    EXPECT_EQ(stored(SystemConfig::kPlayOrder), "0");
    o.CheckBox2.click();
    EXPECT_EQ(stored(SystemConfig::kPlayOrder), "1");

    o.RG2.setItemIndex(3);  // 等待
    o.Button4.click();
    EXPECT_EQ(o.endOfDayAction(), 3);
    EXPECT_EQ(stored(SystemConfig::kEndOfDayAction), "0");
    o.CheckBox3.click();
    o.Button4.click();
    EXPECT_EQ(stored(SystemConfig::kEndOfDayAction), "3");

    o.RG3.setItemIndex(0);
    EXPECT_EQ(stored(SystemConfig::kPasswordMode), "1");
    o.Button5.click();
    EXPECT_EQ(stored(SystemConfig::kPasswordMode), "0");
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(Options, ShutdownTimesAreStoredOnlyWhenCompleteAndCanBeSwitchedOff) {
    startEditing(kThreeRows);
    TForm4& o = options();
    const auto editable = [&o] {
        return o.MaskEdit1.enabled() + o.MaskEdit2.enabled() + o.Button2.enabled();
    };
    o.CheckBox1.click();
    EXPECT_TRUE(o.customTimesDisabled());
    EXPECT_EQ(stored(SystemConfig::kCustomShutdownDisabled), "1");
    EXPECT_EQ(editable(), 0);
    o.CheckBox1.click();
    EXPECT_EQ(stored(SystemConfig::kCustomShutdownDisabled), "0");
    EXPECT_EQ(editable(), 3);

    o.Button2.click();
    EXPECT_EQ(o.MaskEdit1.text(), "00:00:00");
    EXPECT_EQ(o.MaskEdit2.text(), "00:00:00");
    EXPECT_EQ(stored(SystemConfig::kShutdownTimeOne), "  :  :  ") << "reset alone stores nothing";

    // The clock compares "09:00:00"; a blank first digit would never match it.
    o.MaskEdit1.setText(" 9:00:00");
    o.MaskEdit2.setText("17:45:00");
    o.Button3.click();
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ(o.MaskEdit1.text(), "09:00:00");
    EXPECT_EQ(stored(SystemConfig::kShutdownTimeOne), "09:00:00");
    EXPECT_EQ(stored(SystemConfig::kShutdownTimeTwo), "17:45:00");

    o.MaskEdit2.setText("12:3_:__");
    o.Button3.click();
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(lastMessage().text, "时间格式错误！\r\r应为8位英文半角符号（hh:mm:ss）！");
    EXPECT_EQ(lastMessage().caption, "错误信息");
    EXPECT_EQ(stored(SystemConfig::kShutdownTimeTwo), "17:45:00");
}

TEST_F(Options, PathFieldFillsTheSelectedRowWithFullPathsOnly) {
    startEditing(kThreeRows);
    TForm4& o = options();
    // The tree's first folder is the program directory, which names no item.
    EXPECT_TRUE(o.pathPlaceholder);
    EXPECT_EQ(o.Edit1.text(), "");
    EXPECT_EQ(o.treeFolder, m_dir.path().string());
    EXPECT_FALSE(o.Button1.enabled());

    form().Grid.click(3, 2);
    o.folderChanged("/srv/music");
    EXPECT_EQ(o.Edit1.text(), "/srv/music/");
    EXPECT_TRUE(o.Button1.enabled());
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
}

TEST_F(Options, RowButtonsStopAtTheEndsOfTheTable) {
    startEditing(kThreeRows);
    TForm4& o = options();
    form().Grid.click(1, 1);
    form().xuanxiang.click();
    EXPECT_FALSE(o.previousRow.enabled());
    EXPECT_TRUE(o.nextRow.enabled());

    o.nextRow.click();
    o.nextRow.click();
    EXPECT_EQ(form().Grid.row(), 3);
    EXPECT_FALSE(o.nextRow.enabled());
    EXPECT_TRUE(o.previousRow.enabled());

    o.previousRow.click();
    EXPECT_TRUE(o.nextRow.enabled());
    o.previousRow.click();
    EXPECT_EQ(form().Grid.row(), 1);
    EXPECT_FALSE(o.previousRow.enabled());
    EXPECT_TRUE(o.nextRow.enabled());
}

TEST_F(Options, SliderFollowsTheSelectedRowsVolumeAndWritesIt) {
    startEditing(kThreeRows);
    TForm4& o = options();
    form().Grid.editCell(5, 2, "90");
    form().Grid.click(1, 2);
    EXPECT_EQ(o.TrackBar1.position(), 90);
    EXPECT_EQ(m_device.left, 90 * 256);

    form().Grid.click(1, 3);
    o.TrackBar1.setPosition(120);
    EXPECT_EQ(form().Grid.cell(5, 3), "120");
    EXPECT_EQ(m_device.left, 120 * 256);
}

TEST_F(Options, UnreadableIndexesFallBackAndTheClockStillStarts) {
    for (int k :
         {SystemConfig::kEndOfDayAction, SystemConfig::kPasswordMode, SystemConfig::kPlayOrder}) {
        entries[static_cast<std::size_t>(k)] = "x";
    }
    start(kThreeRows, "08:00:00");
    EXPECT_TRUE(form().Timer1.running());
    EXPECT_EQ(options().RG2.itemIndex(), 3);
    EXPECT_EQ(options().RG3.itemIndex(), 0);
    EXPECT_EQ(options().RG1.itemIndex(), 0);
}

}  // namespace
}  // namespace orvessa::editing
