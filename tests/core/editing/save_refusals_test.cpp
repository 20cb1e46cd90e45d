#include <algorithm>

#include "core/store/table_file.h"
#include "editing_scenario.h"

namespace orvessa::editing {
namespace {

using platform::MessageButtons;

const std::string kBadTime = "时间格式错误！\r\r应为8位英文半角符号（hh:mm:ss）！";

// What Save writes is what the next load reads and what the clock can reach; what it cannot
// write so, it refuses with the cell selected.
class SaveRefusals : public EditingScenario {
protected:
    // Clicks the library list's entry `name`, then double-clicks it.
    void doubleClickLibrary(const std::string& name) {
        const auto& items = form().libraryList.items();
        const auto at = std::ranges::find(items, name);
        ASSERT_NE(at, items.end()) << name;
        form().libraryList.setItemIndex(static_cast<int>(at - items.begin()));
        form().libraryList.doubleClicked.send();
    }

    void expectSelected(int column, int row) {
        EXPECT_EQ(form().grid.col(), column);
        EXPECT_EQ(form().grid.row(), row);
    }
};

TEST_F(SaveRefusals, TimesAreStoredOnlyInAFormTheClockReaches) {
    media("b.wav", 5);
    media("c.wav", 5);
    startEditing(kThreeRows);
    const std::string stored = file("zxsj3.log");

    for (const char* never : {"7:3:0", "0730", "abc", "24:00:00", "7:30:00:00"}) {
        form().grid.click(1, 1);
        form().grid.editCell(4, 3, never);
        m_host.messages.clear();
        form().saveButton.click();
        ASSERT_EQ(m_host.messages.size(), 1u) << never;
        EXPECT_EQ(lastMessage().text, kBadTime) << never;
        expectSelected(4, 3);
        EXPECT_EQ(form().grid.cell(4, 3), never) << "what cannot be read is left as typed";
        EXPECT_EQ(file("zxsj3.log"), stored) << never;
        EXPECT_TRUE(form().saveButton.enabled());
    }

    // Full-width colons and blanks inside are put in the clock's form, where the operator sees it.
    form().grid.editCell(4, 3, "  ");
    form().grid.editCell(1, 2, "8：00：05");
    form().grid.editCell(1, 3, "08: 00:20");
    m_host.messages.clear();
    form().saveButton.click();
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ(form().grid.cell(1, 2), "8:00:05");
    EXPECT_EQ(form().grid.cell(1, 3), "8:00:20");
    EXPECT_EQ(form().grid.cell(4, 3), "");
    EXPECT_EQ(file("zxsj3.log"), lines({"1,7:30:00,item,a.wav,,,", "2,8:00:05,item,b.wav,,,",
                                        "3,8:00:20,item,c.wav,,,"}));

    // And the clock rings them.
    form().automaticOperation.click();
    runUntil("08:00:21");
    EXPECT_NE(std::ranges::find(log, "08:00:05 open b.wav"), log.end());
    EXPECT_NE(std::ranges::find(log, "08:00:20 open c.wav"), log.end());
}

TEST_F(SaveRefusals, ARowALoadWouldCutIsRefusedNamingItsRow) {
    startEditing(kThreeRows);
    const std::string stored = file("zxsj3.log");
    std::string label;
    for (int i = 0; i < 9000; ++i) {
        label += "铃";
    }
    form().grid.click(1, 1);
    form().grid.editCell(2, 2, label);
    form().saveButton.click();
    EXPECT_TRUE(lastMessage().text.starts_with("第2行的内容太长（18019字节）！"))
        << lastMessage().text;
    EXPECT_EQ(lastMessage().caption, "错误信息");
    expectSelected(2, 2);
    EXPECT_EQ(file("zxsj3.log"), stored);

    // "2,8:00:00," + label + ",b.wav,,," is exactly as long as a load reads whole.
    const std::string longest(store::kMaxTableLineBytes - 19, 'x');
    form().grid.editCell(2, 2, longest);
    form().saveButton.click();
    EXPECT_FALSE(form().saveButton.enabled());
    form().automaticOperation.click();
    EXPECT_EQ(form().grid.cell(2, 2), longest);
    EXPECT_EQ(form().grid.cell(3, 2), "b.wav");
}

TEST_F(SaveRefusals, ANameGbkCannotHoldIsNeitherFilledInNorSaved) {
    media("铃😀.wav", 5);
    media("铃.wav", 5);
    writeBytes(m_dir / "AUDIO" / "\xC1\xE5.wav", "x");  // 铃 in GBK: no UTF-8 name
    startEditing(kThreeRows);
    const std::string stored = file("zxsj3.log");
    form().grid.click(3, 2);

    for (const std::string name : {"铃😀.wav", "\xC1\xE5.wav"}) {
        m_host.messages.clear();
        doubleClickLibrary(name);
        ASSERT_EQ(m_host.messages.size(), 1u) << name;
        EXPECT_NE(lastMessage().text.find("不能填入第2行"), std::string::npos);
        EXPECT_EQ(form().grid.cell(3, 2), "b.wav");
    }
    doubleClickLibrary("铃.wav");
    EXPECT_EQ(form().grid.cell(3, 2), "铃.wav");

    // The options dialog fills the same column without the list's warning.
    form().grid.setCell(3, 3, "铃😀.wav");
    m_host.messages.clear();
    form().saveButton.click();
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_TRUE(
        lastMessage().text.starts_with("第3行“目 录 或 文 件”中有作息时间表文件无法保存的字符"))
        << lastMessage().text;
    expectSelected(3, 3);
    EXPECT_EQ(file("zxsj3.log"), stored);
}

TEST_F(SaveRefusals, ARefusedSaveOnTheWayOutKeepsTheEditsInTheGrid) {
    startEditing(kThreeRows);
    const std::string stored = file("zxsj3.log");
    form().grid.click(2, 1);
    form().grid.editCell(1, 2, "7:3:0");
    form().grid.editCell(2, 1, "早操");

    m_host.answers = {MessageAnswer::Yes};
    form().quitTrayItem.click();
    ASSERT_EQ(m_host.messages.size(), 2u);
    EXPECT_EQ(m_host.messages[0].text, "要保存当前数据吗？");
    EXPECT_EQ(m_host.messages[1].text, kBadTime);
    EXPECT_EQ(m_host.quitRequests, 0);
    EXPECT_TRUE(form().trayIcon.visible());
    expectSelected(1, 2);

    m_host.answers = {MessageAnswer::Yes};
    form().automaticOperation.click();
    EXPECT_EQ(m_host.messages.back().text, kBadTime);
    EXPECT_TRUE(form().automaticOperation.enabled()) << "still in manual operation";
    EXPECT_TRUE(form().grid.editable());
    EXPECT_FALSE(form().broadcastTimer.running());
    expectSelected(1, 2);

    m_host.messages.clear();
    form().exportTableTool.click();  // export
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(lastMessage().text, kBadTime);
    EXPECT_TRUE(m_host.shownModally.empty()) << "no chooser to export the old table";

    EXPECT_EQ(form().grid.cell(1, 2), "7:3:0");
    EXPECT_EQ(form().grid.cell(2, 1), "早操");
    EXPECT_EQ(file("zxsj3.log"), stored);

    // Corrected, the same way out saves and goes.
    form().grid.editCell(1, 2, "8:03:00");
    m_host.answers = {MessageAnswer::Yes};
    form().quitTrayItem.click();
    EXPECT_EQ(m_host.quitRequests, 1);
    EXPECT_EQ(file("zxsj3.log"), lines({"1,7:30:00,早操,a.wav,,,", "2,8:03:00,item,b.wav,,,",
                                        "3,9:00:00,item,c.wav,,,"}));
}

TEST_F(SaveRefusals, NoMoreRowsThanALoadReads) {
    std::string content;
    for (int n = 1; n <= 998; ++n) {
        content += std::to_string(n) + ",8:00:00,item,a.wav,,,\r\n";
    }
    writeBytes(m_dir / "zxsj5.log", content);
    startEditing(kThreeRows);
    form().weekSelector.setItemIndex(4);
    ASSERT_EQ(form().grid.table().rowCount(), 999);

    for (model::Command* c : {&form().addRowButton, &form().addRowItem, &form().insertRowButton,
                              &form().insertRowItem}) {
        m_host.messages.clear();
        c->click();
        ASSERT_EQ(m_host.messages.size(), 1u) << c->name();
        EXPECT_EQ(lastMessage().text, "作息时间表最多只能有998行，不能再添加或插入行！");
        EXPECT_EQ(form().grid.table().rowCount(), 999);
    }
    form().deleteRowButton.click();
    form().addRowButton.click();
    EXPECT_EQ(form().grid.table().rowCount(), 999);
}

}  // namespace
}  // namespace orvessa::editing
