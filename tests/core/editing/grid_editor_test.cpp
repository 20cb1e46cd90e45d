#include "editing_scenario.h"

namespace orvessa::editing {
namespace {

class GridEditing : public EditingScenario {};

TEST_F(GridEditing, InsertAtTheTopKeepsTheOldNumbersUntilSaveRenumbers) {
    startEditing(kThreeRows);
    form().grid.click(1, 1);
    form().insertRowButton.click();
    ASSERT_EQ(form().grid.table().rowCount(), 5);
    EXPECT_EQ(form().grid.row(), 1);
    EXPECT_EQ(form().grid.cell(1, 1) + form().grid.cell(3, 1), "");
    EXPECT_EQ(form().grid.cell(0, 2), "1") << "the old first row keeps its number";
    EXPECT_EQ(form().grid.cell(3, 4), "c.wav");
    EXPECT_FALSE(form().moveUpButton.enabled());
    EXPECT_TRUE(form().moveDownButton.enabled());
    EXPECT_TRUE(form().deleteRowButton.enabled());

    form().grid.editCell(1, 1, "6:00:00");
    form().grid.editCell(3, 1, "bell.wav");
    form().saveButton.click();
    EXPECT_EQ(file("zxsj3.log"), lines({"1,6:00:00,,bell.wav,,,", "2,7:30:00,item,a.wav,,,",
                                        "3,8:00:00,item,b.wav,,,", "4,9:00:00,item,c.wav,,,"}));
    EXPECT_EQ(form().grid.cell(0, 4), "4");
    EXPECT_FALSE(form().saveButton.enabled());
}

TEST_F(GridEditing, MovesSwapRowsAndDeletesKeepTheButtonsInStep) {
    startEditing(kThreeRows);
    auto files = [this] {
        std::string s;
        for (int r = 1; r < form().grid.table().rowCount(); ++r) {
            s += form().grid.cell(3, r)[0];
        }
        return s;
    };
    form().grid.click(1, 2);
    form().moveUpButton.click();
    EXPECT_EQ(files(), "bac");
    EXPECT_EQ(form().grid.row(), 1);
    EXPECT_FALSE(form().moveUpButton.enabled());
    EXPECT_TRUE(form().moveDownButton.enabled());
    form().moveDownButton.click();
    form().moveDownButton.click();
    EXPECT_EQ(files(), "acb");
    EXPECT_EQ(form().grid.row(), 3);
    EXPECT_TRUE(form().moveUpButton.enabled());
    EXPECT_FALSE(form().moveDownButton.enabled());

    // Deleting the last row selects the new last one.
    form().deleteRowButton.click();
    EXPECT_EQ(files(), "ac");
    EXPECT_EQ(form().grid.row(), 2);
    EXPECT_FALSE(form().moveDownButton.enabled());
    EXPECT_TRUE(form().moveUpButton.enabled());
    form().deleteRowButton.click();
    EXPECT_EQ(files(), "a");

    // The only row stays; nothing is left to delete or move.
    form().deleteRowButton.click();
    EXPECT_EQ(files(), "a");
    for (const model::Command* c :
         {&form().deleteRowButton, &form().deleteRowItem, &form().moveUpButton, &form().moveUpItem,
          &form().moveDownButton, &form().moveDownItem}) {
        EXPECT_FALSE(c->enabled()) << c->name();
    }
}

TEST_F(GridEditing, SaveRefusesBadCellsAndEmptyTablesLeavingTheFile) {
    startEditing(kThreeRows);
    const std::string stored = file("zxsj3.log");
    const std::string badTime = "时间格式错误！\r\r应为8位英文半角符号（hh:mm:ss）！";
    const std::tuple<int, const char*, std::string> refusals[] = {{4, "25:00:00", badTime},
                                                                  {4, "12:60:00", badTime},
                                                                  {4, "12:15:61", badTime},
                                                                  {2, "a,b.wav", "第2行"}};
    for (const auto& [column, bad, message] : refusals) {
        form().grid.click(1, 1);
        form().grid.editCell(4, 2, "");
        form().grid.editCell(column, 2, bad);
        m_host.messages.clear();
        form().saveButton.click();
        ASSERT_EQ(m_host.messages.size(), 1u) << bad;
        EXPECT_TRUE(lastMessage().text.starts_with(message)) << bad;
        EXPECT_EQ(lastMessage().caption, "错误信息");
        EXPECT_EQ(form().grid.col(), column) << "the bad cell is shown";
        EXPECT_EQ(form().grid.row(), 2);
        EXPECT_EQ(file("zxsj3.log"), stored) << bad;
        EXPECT_TRUE(form().saveButton.enabled()) << bad;
    }

    // Seconds are optional: the stored time gets them, in the clock's form.
    form().grid.editCell(2, 2, "item");
    form().grid.editCell(1, 1, "5:00:13");
    form().grid.editCell(4, 1, "7:30");
    form().saveButton.click();
    EXPECT_EQ(file("zxsj3.log"), lines({"1,5:00:13,item,a.wav,7:30:00,,", "2,8:00:00,item,b.wav,,,",
                                        "3,9:00:00,item,c.wav,,,"}));

    // Friday has no table yet: its empty rows, blanks included, are not a table to store.
    form().weekSelector.setItemIndex(4);
    form().grid.click(2, 1);
    form().grid.editCell(2, 1, "   ");
    form().saveButton.click();
    EXPECT_EQ(lastMessage().text, "请输入必要的数据然后保存！");
    EXPECT_FALSE(form().saveButton.enabled());
    EXPECT_FALSE(fs::exists(m_dir / "zxsj5.log"));
}

TEST_F(GridEditing, AFailedWriteKeepsTheChangesToSaveAgain) {
    fs::create_directory(m_dir / "zxsj3.log");  // no file can take its place
    start({}, "08:00:00");
    // A directory is not a table that has yet to be made: the load says so, by name, in the
    // status line (a box at start-up would hold the clock until someone answered it).
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ(form().hintLine.text(), "  ☆ 作息时间表 zxsj3.log 无法读取！");
    form().manualOperation.click();

    form().addRowButton.click();
    form().grid.click(1, 1);
    form().grid.editCell(1, 1, "7:30:00");
    form().grid.editCell(3, 1, "a.wav");
    form().saveButton.click();
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(lastMessage().caption, "错误");
    EXPECT_TRUE(lastMessage().text.starts_with("作息时间表 zxsj3.log 保存失败！"));
    EXPECT_TRUE(form().saveButton.enabled());
    EXPECT_TRUE(fs::is_directory(m_dir / "zxsj3.log"));
    EXPECT_EQ(form().grid.cell(3, 1), "a.wav");

    fs::remove(m_dir / "zxsj3.log");
    form().saveButton.click();
    EXPECT_EQ(file("zxsj3.log"), lines({"1,7:30:00,,a.wav,,,"}));
    EXPECT_FALSE(form().saveButton.enabled());
}

TEST_F(GridEditing, AnotherDayAsksToSaveOnlyAfterAnEdit) {
    writeTable(5, {{"10:00:00", "friday.wav", ""}});
    startEditing(kThreeRows);
    form().grid.click(2, 1);
    form().weekSelector.setItemIndex(4);
    EXPECT_TRUE(m_host.messages.empty()) << "a click is no edit";
    EXPECT_EQ(form().grid.cell(3, 1), "friday.wav");

    form().weekSelector.setItemIndex(2);
    form().grid.click(2, 1);
    form().grid.editCell(2, 1, "早操");
    m_host.answers = {MessageAnswer::Yes};
    form().weekSelector.setItemIndex(4);
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(lastMessage().text, "要保存当前数据吗？");
    EXPECT_EQ(lastMessage().caption, "确认");
    EXPECT_EQ(file("zxsj3.log"), lines({"1,7:30:00,早操,a.wav,,,", "2,8:00:00,item,b.wav,,,",
                                        "3,9:00:00,item,c.wav,,,"}));
    EXPECT_EQ(form().grid.cell(3, 1), "friday.wav");

    const std::string friday = file("zxsj5.log");
    form().grid.editCell(2, 1, "changed");
    form().weekSelector.setItemIndex(2);
    EXPECT_EQ(m_host.messages.size(), 2u);
    EXPECT_EQ(file("zxsj5.log"), friday) << "No leaves the file as it was";
    EXPECT_EQ(form().grid.cell(2, 1), "早操");
}

// Yes to saving, but the save is refused: the edit must survive to be corrected.
TEST_F(GridEditing, AnotherDayKeepsAnEditWhoseSaveWasRefused) {
    writeTable(5, {{"10:00:00", "friday.wav", ""}});
    startEditing(kThreeRows);
    form().grid.click(4, 1);
    form().grid.editCell(4, 1, "25:00:00");
    m_host.answers = {MessageAnswer::Yes};
    form().weekSelector.setItemIndex(4);
    EXPECT_EQ(lastMessage().caption, "错误信息");
    EXPECT_EQ(form().grid.cell(4, 1), "25:00:00");
    EXPECT_EQ(engine().session().tableFileName, "zxsj3.log");
}

TEST_F(GridEditing, AnOverlongTableLoadsItsFirstRowsAndSaveAsksBeforeDroppingTheRest) {
    std::string content;
    std::string kept;
    for (int n = 1; n <= 1000; ++n) {
        const std::string line = std::to_string(n) + ",8:00:00,item,a.wav,,,\r\n";
        content += line;
        kept += n <= 998 ? line : "";
    }
    writeBytes(m_dir / "zxsj5.log", content);
    startEditing(kThreeRows);
    form().weekSelector.setItemIndex(4);
    EXPECT_EQ(form().grid.table().rowCount(), 999);
    EXPECT_EQ(form().grid.cell(0, 998), "998");
    EXPECT_EQ(form().hintLine.text(), "  ☆ 表中超过998行，只载入了前998行！");
    EXPECT_EQ(form().hintLine.color(), model::kRed);

    form().grid.click(2, 1);
    form().saveButton.click();
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(lastMessage().text,
              "文件 zxsj5.log 超过998行，保存后第999行起的数据将被删除。\r\r确实要保存吗？");
    EXPECT_EQ(lastMessage().buttons, platform::MessageButtons::YesNoDefaultNo)
        << "Enter keeps them";
    EXPECT_EQ(file("zxsj5.log"), content) << "No keeps every row";

    m_host.answers = {MessageAnswer::Yes};
    form().saveButton.click();
    EXPECT_EQ(file("zxsj5.log"), kept);
}

}  // namespace
}  // namespace orvessa::editing
