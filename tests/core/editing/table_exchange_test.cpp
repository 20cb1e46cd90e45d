#include <functional>

#include "editing_scenario.h"

namespace orvessa::editing {
namespace {

class Exchange : public EditingScenario {
protected:
    ExchangeChooser& chooser() { return m_system->exchangeChooser(); }
    // What the operator does while the chooser is shown.
    void inChooser(std::function<void(ExchangeChooser&)> act) {
        m_host.onShown("exchangeChooser", [this, act](model::Window&) { act(chooser()); });
    }
};

TEST_F(Exchange, ImportOffersOnlyStoredTablesAndTakesNothingFromAMissingOne) {
    writeTable(1, {{"7:00:00", "monday.wav", ""}});
    startEditing(kThreeRows);
    const std::string wednesday = file("zxsj3.log");
    std::vector<bool> offered;
    inChooser([&offered](ExchangeChooser& c) {
        for (const auto& item : c.tableChoices.items()) {
            offered.push_back(item.enabled);
        }
        c.okButton.click();  // on the kept choice, template one
    });
    m_host.answers = {MessageAnswer::Yes};
    form().importTableItem.click();

    std::vector<bool> expected(ExchangeChooser::kChoices, false);
    expected[0] = expected[2] = true;
    EXPECT_EQ(offered, expected);
    EXPECT_EQ(chooser().okButton.caption(), "导入(&O)");
    ASSERT_EQ(m_host.messages.size(), 2u);
    EXPECT_EQ(m_host.messages[0].text, "真的要更改已有作息时间数据吗？");
    EXPECT_EQ(m_host.messages[1].text, "文件 zxsj8.log 不存在，没有导入任何数据！");
    EXPECT_FALSE(fs::exists(m_dir / "zxsj8.log"));
    EXPECT_EQ(file("zxsj3.log"), wednesday);
}

TEST_F(Exchange, ImportCopiesAnotherDayIntoTheTableBeingEdited) {
    const std::string tuesday =
        lines({"4,7:10:00,晨读,read.mp3,7:40:00,80,", "9,12:00:00,午休,rest.mp3,,,"});
    writeBytes(m_dir / "zxsj2.log", tuesday);
    writeTable(5, {{"10:00:00", "friday.wav", ""}});
    startEditing(kThreeRows);
    form().weekSelector.setItemIndex(4);
    inChooser([](ExchangeChooser& c) {
        c.tableChoices.setItemIndex(1);
        c.okButton.click();
    });
    m_host.answers = {MessageAnswer::Yes};
    form().importTableItem.click();

    EXPECT_EQ(file("zxsj5.log"),
              lines({"1,7:10:00,晨读,read.mp3,7:40:00,80,", "2,12:00:00,午休,rest.mp3,,,"}));
    EXPECT_EQ(file("zxsj2.log"), tuesday);
    EXPECT_EQ(form().session.tableFileName, "zxsj5.log");
    EXPECT_EQ(form().grid.cell(3, 2), "rest.mp3");
}

TEST_F(Exchange, ExportMarksStoredTablesAndOverwritesTheChosenOneOnYes) {
    const std::string oldTemplate = lines({"1,6:00:00,old,old.wav,,,"});
    writeBytes(m_dir / "zxsj9.log", oldTemplate);
    startEditing(kThreeRows);
    form().grid.click(2, 1);
    form().grid.editCell(2, 1, "升旗");
    std::vector<model::RadioGroup::Item> shown;
    inChooser([&shown](ExchangeChooser& c) {
        shown = c.tableChoices.items();
        c.tableChoices.setItemIndex(8);
        c.okButton.click();
    });
    form().exportTableItem.click();  // answered No
    EXPECT_EQ(m_host.messages.back().text, "真的要导出作息时间数据吗？");
    EXPECT_EQ(file("zxsj9.log"), oldTemplate);
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(ExchangeChooser::kChoices));
    for (std::size_t k = 0; k < shown.size(); ++k) {
        EXPECT_TRUE(shown[k].enabled) << k;
        EXPECT_EQ(shown[k].textColor, k == 2 || k == 8 ? TableExchange::kExisting : model::kBlack)
            << k << " blue where a table would be overwritten";
    }
    EXPECT_EQ(chooser().okButton.caption(), "导出(&O)");

    m_host.answers = {MessageAnswer::Yes};
    form().exportTableItem.click();
    const std::string current =
        lines({"1,7:30:00,升旗,a.wav,,,", "2,8:00:00,item,b.wav,,,", "3,9:00:00,item,c.wav,,,"});
    EXPECT_EQ(file("zxsj3.log"), current) << "the edit is saved first";
    EXPECT_EQ(file("zxsj9.log"), current);
    EXPECT_EQ(form().session.tableFileName, "zxsj3.log");
}

TEST_F(Exchange, DiskFilesReplaceOnlyAfterYesAndFailedCopiesAreReported) {
    TempDir elsewhere;
    const fs::path source = elsewhere / "作息.log";
    const fs::path target = elsewhere / "backup.log";
    const std::string sourceBytes = lines({"1,6:30:00,起床,up.wav,,,"});
    const std::string targetBytes = lines({"1,6:00:00,old,old.wav,,,"});
    writeBytes(source, sourceBytes);
    writeBytes(target, targetBytes);
    startEditing(kThreeRows);
    const std::string wednesday = file("zxsj3.log");
    inChooser([](ExchangeChooser& c) { c.diskFileButton.click(); });

    m_host.fileChoices = {source.string()};
    form().importTableItem.click();  // answered No
    EXPECT_EQ(lastMessage().text, "当前数据将被覆盖，继续吗？");
    EXPECT_EQ(file("zxsj3.log"), wednesday);

    m_host.fileChoices = {source.string()};
    m_host.answers = {MessageAnswer::Yes};
    form().importTableItem.click();
    EXPECT_EQ(file("zxsj3.log"), sourceBytes);
    EXPECT_EQ(form().grid.cell(3, 1), "up.wav");

    m_host.fileChoices = {target.string()};
    form().exportTableItem.click();  // answered No
    EXPECT_EQ(lastMessage().text, "文件" + target.string() + "已存在，覆盖吗？");
    EXPECT_EQ(readBytes(target), targetBytes);

    m_host.fileChoices = {target.string()};
    m_host.answers = {MessageAnswer::Yes};
    form().exportTableItem.click();
    EXPECT_EQ(readBytes(target), sourceBytes);

    m_host.messages.clear();
    m_host.fileChoices = {(elsewhere / "missing" / "out.log").string()};
    form().exportTableItem.click();
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(lastMessage().caption, "错误");
    EXPECT_TRUE(lastMessage().text.starts_with("文件复制失败！"));
}

TEST_F(Exchange, ADiskFileThatIsNoTableIsRefusedAndTheTableKept) {
    TempDir elsewhere;
    std::string elf(
        "\x7f"
        "ELF\x02\x01\x01",
        7);
    elf += std::string(9, '\0') + "\x02\x00\x3e\x00,\xff\xfe\x90\x90\r\n";
    std::string junk;  // no NUL, but no GBK text either
    for (int i = 0; i < 40; ++i) {
        junk += "\x1b\x07\x81\x7f,";
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {elf, "含有二进制数据"},
        {junk + "\r\n", "第1行含有不能识别的字节（不是GBK文本）"},
        {lines({"1,7:30:00,a,a.wav,,,", "Dear operator", "2,8:00:00,b,b.wav,,,"}),
         "第2行不是以逗号分隔的表格行"},
        {lines({"1,7:30:00,a,a.wav,,,", "2,8:00:00," + std::string(17000, 'x') + ",b.wav,,,"}),
         "第2行超过16384字节"},
    };
    startEditing(kThreeRows);
    const std::string wednesday = file("zxsj3.log");
    inChooser([](ExchangeChooser& c) { c.diskFileButton.click(); });
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const fs::path source = elsewhere / ("f" + std::to_string(i) + ".log");
        writeBytes(source, cases[i].first);
        m_host.messages.clear();
        m_host.fileChoices = {source.string()};
        m_host.answers = {MessageAnswer::Yes};
        form().importTableItem.click();
        ASSERT_EQ(m_host.messages.size(), 1u) << i << ": refused before the question";
        EXPECT_EQ(lastMessage().text, "文件 " + source.string() + " 不是作息时间表（" +
                                          cases[i].second + "），没有导入任何数据！");
        EXPECT_EQ(lastMessage().caption, "错误信息");
        EXPECT_EQ(file("zxsj3.log"), wednesday) << i;
        EXPECT_EQ(form().grid.cell(3, 1), "a.wav") << i;
        EXPECT_FALSE(fs::exists(m_dir / "zxsj3.log.bak")) << i;
    }
}

TEST_F(Exchange, AnImportKeepsTheTableItReplacesAsBak) {
    TempDir elsewhere;
    // Written elsewhere: a stray byte in a cell, a short row, a note after the end line.
    const std::string odd = lines({"1,7:10:00,晨读,read.mp3,7:40:00,80,"}) +
                            "2,8:00:00,b,c.wav\x81\r\n" + "\r\nnotes without commas\r\n";
    writeBytes(elsewhere / "odd.log", odd);
    writeBytes(elsewhere / "empty.log", "");
    const std::string tuesday = lines({"1,12:00:00,午休,rest.mp3,,,"});
    writeBytes(m_dir / "zxsj2.log", tuesday);
    startEditing(kThreeRows);
    const std::string wednesday = file("zxsj3.log");

    inChooser([](ExchangeChooser& c) { c.diskFileButton.click(); });
    m_host.fileChoices = {(elsewhere / "odd.log").string()};
    m_host.answers = {MessageAnswer::Yes};
    form().importTableItem.click();
    EXPECT_EQ(file("zxsj3.log"), odd);
    EXPECT_EQ(file("zxsj3.log.bak"), wednesday);
    EXPECT_EQ(form().grid.cell(2, 2), "b");

    // One generation: the next import keeps what the last one brought.
    m_host.fileChoices = {(elsewhere / "empty.log").string()};
    m_host.answers = {MessageAnswer::Yes};
    form().importTableItem.click();
    EXPECT_EQ(file("zxsj3.log"), "");
    EXPECT_EQ(file("zxsj3.log.bak"), odd);

    // A stored table imported through the chooser is kept the same way.
    writeBytes(m_dir / "zxsj3.log", wednesday);
    m_system->editor().load();
    inChooser([](ExchangeChooser& c) {
        c.tableChoices.setItemIndex(1);
        c.okButton.click();
    });
    m_host.answers = {MessageAnswer::Yes};
    form().importTableItem.click();
    EXPECT_EQ(file("zxsj3.log"), tuesday);
    EXPECT_EQ(file("zxsj3.log.bak"), wednesday);
}

}  // namespace
}  // namespace orvessa::editing
