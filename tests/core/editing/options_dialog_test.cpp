#include "settings_scenario.h"

namespace orvessa::editing {
namespace {

class Options : public SettingsScenario {};

TEST_F(Options, ChoicesActAtOnceButReachTheFileOnlyThroughTheirBoxes) {
    entries[SystemConfig::kEndOfDayAction] = "0";
    startEditing(kThreeRows);
    EXPECT_TRUE(form().triggerShortcut("F8"));
    OptionsDialog& o = options();

    o.playOrderGroup.setItemIndex(1);
    EXPECT_TRUE(o.settings().randomOrder);
    EXPECT_EQ(stored(SystemConfig::kPlayOrder), "0");
    o.playOrderDefaultBox.click();
    EXPECT_EQ(stored(SystemConfig::kPlayOrder), "1");

    o.endActionGroup.setItemIndex(3);  // 等待
    o.endActionOkButton.click();
    EXPECT_EQ(o.settings().endOfDayAction, store::EndOfDayAction::Wait);
    EXPECT_EQ(stored(SystemConfig::kEndOfDayAction), "0");
    o.endActionDefaultBox.click();
    o.endActionOkButton.click();
    EXPECT_EQ(stored(SystemConfig::kEndOfDayAction), "3");

    // Shutdown times are stored only when complete, and can be switched off.
    o.shutdownOffBox.click();
    EXPECT_EQ(stored(SystemConfig::kCustomShutdownDisabled), "1");
    EXPECT_TRUE(o.settings().customShutdownOff);
    EXPECT_FALSE(o.firstShutdownField.enabled());
    o.shutdownOffBox.click();
    EXPECT_EQ(stored(SystemConfig::kCustomShutdownDisabled), "0");

    // The clock compares "09:00:00"; a blank first digit would never match it.
    o.firstShutdownField.setText(" 9:00:00");
    o.secondShutdownField.setText("17:45:00");
    o.saveShutdownButton.click();
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ(o.firstShutdownField.text(), "09:00:00");
    EXPECT_EQ(stored(SystemConfig::kShutdownTimeOne), "09:00:00");

    o.secondShutdownField.setText("12:3_:__");
    o.saveShutdownButton.click();
    EXPECT_EQ(lastMessage().text, "时间格式错误！\r\r应为8位英文半角符号（hh:mm:ss）！");
    EXPECT_EQ(stored(SystemConfig::kShutdownTimeTwo), "17:45:00");
}

TEST_F(Options, PathFieldRowButtonsAndSliderWorkOnTheSelectedRow) {
    startEditing(kThreeRows);
    OptionsDialog& o = options();
    // The tree's first folder is the program directory, which names no item.
    EXPECT_TRUE(o.pathPlaceholder);
    EXPECT_EQ(o.treeFolder, m_dir.path().string());
    EXPECT_TRUE(o.applyPathButton.enabled());
    const std::string before = form().grid.cell(3, 1);
    o.applyPathButton.click();
    EXPECT_EQ(form().grid.cell(3, 1), before) << "the placeholder is no path";

    form().grid.click(3, 2);
    o.folderChanged("/srv/music");
    EXPECT_EQ(o.pathField.text(), "/srv/music/");
    o.applyPathButton.click();
    EXPECT_EQ(form().grid.cell(3, 2), "/srv/music/");

    o.pathField.setText("music");
    o.applyPathButton.click();
    EXPECT_EQ(form().grid.cell(3, 2), "/srv/music/") << "a bare word is no file";

    o.closeButton.click();  // closing brings the placeholder back
    EXPECT_TRUE(o.pathPlaceholder);
    form().grid.click(3, 1);
    o.applyPathButton.click();
    EXPECT_EQ(form().grid.cell(3, 1), "a.wav");

    // The row buttons stop at the ends of the table; the slider follows the row's volume.
    form().grid.editCell(5, 2, "90");
    form().grid.click(1, 1);
    form().optionsItem.click();
    EXPECT_FALSE(o.previousRow.enabled());
    o.nextRow.click();
    EXPECT_EQ(o.volumeSlider.position(), 90);
    EXPECT_EQ(m_device.left, 90 * 256);
    o.nextRow.click();
    EXPECT_EQ(form().grid.row(), 3);
    EXPECT_FALSE(o.nextRow.enabled());
    EXPECT_TRUE(o.previousRow.enabled());

    o.volumeSlider.setPosition(120);
    EXPECT_EQ(form().grid.cell(5, 3), "120");
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
    EXPECT_EQ(options().endActionGroup.itemIndex(), 3);
    // The mode the system runs in: anything but "0" lets anyone operate it.
    EXPECT_TRUE(form().session.unlocked);
    EXPECT_EQ(options().accessGroup.itemIndex(), 1);
    EXPECT_EQ(options().playOrderGroup.itemIndex(), 0);
}

}  // namespace
}  // namespace orvessa::editing
