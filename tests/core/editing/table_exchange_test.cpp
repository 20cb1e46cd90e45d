#include <functional>

#include "editing_scenario.h"

namespace orvessa::editing {
namespace {

class Exchange : public EditingScenario {
protected:
    Tdaori5& chooser() { return m_system->daori5(); }
    // What the operator does while the chooser is shown.
    void inChooser(std::function<void(Tdaori5&)> act) {
        m_host.onShown("daori5", [this, act](model::Window&) { act(chooser()); });
    }
};

TEST_F(Exchange, ImportOffersOnlyStoredTablesAndTakesNothingFromAMissingOne) {
    writeTable(1, {{"7:00:00", "monday.wav", ""}});
    startEditing(kThreeRows);
    const std::string wednesday = file("zxsj3.log");
    std::vector<bool> offered;
    inChooser([&offered](Tdaori5& c) {
        for (const auto& item : c.RadioGroup1.items()) {
            offered.push_back(item.enabled);
        }
        c.Button1.click();  // on the kept choice, template one
    });
    m_host.answers = {MessageAnswer::Yes};
    form().N12.click();

    std::vector<bool> expected(Tdaori5::kChoices, false);
    expected[0] = expected[2] = true;
    EXPECT_EQ(offered, expected);
    EXPECT_EQ(chooser().Button1.caption(), "导入(&O)");
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
    form().RG4.setItemIndex(4);
    inChooser([](Tdaori5& c) {
        c.RadioGroup1.setItemIndex(1);
        c.Button1.click();
    });
    m_host.answers = {MessageAnswer::Yes};
    form().N12.click();

    EXPECT_EQ(file("zxsj5.log"),
              lines({"1,7:10:00,晨读,read.mp3,7:40:00,80,", "2,12:00:00,午休,rest.mp3,,,"}));
    EXPECT_EQ(file("zxsj2.log"), tuesday);
    EXPECT_EQ(form().tableFileName, "zxsj5.log");
    EXPECT_EQ(form().Grid.cell(3, 2), "rest.mp3");
}

TEST_F(Exchange, ExportMarksStoredTablesAndOverwritesTheChosenOneOnYes) {
    const std::string oldTemplate = lines({"1,6:00:00,old,old.wav,,,"});
    writeBytes(m_dir / "zxsj9.log", oldTemplate);
    startEditing(kThreeRows);
    form().Grid.click(2, 1);
    form().Grid.editCell(2, 1, "升旗");
    std::vector<model::RadioGroup::Item> shown;
    inChooser([&shown](Tdaori5& c) {
        shown = c.RadioGroup1.items();
        c.RadioGroup1.setItemIndex(8);
        c.Button1.click();
    });
    form().N13.click();  // answered No
    EXPECT_EQ(m_host.messages.back().text, "真的要导出作息时间数据吗？");
    EXPECT_EQ(file("zxsj9.log"), oldTemplate);
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(Tdaori5::kChoices));
    for (std::size_t k = 0; k < shown.size(); ++k) {
        EXPECT_TRUE(shown[k].enabled) << k;
        EXPECT_EQ(shown[k].textColor, k == 2 || k == 8 ? TableExchange::kExisting : model::kBlack)
            << k << " blue where a table would be overwritten";
    }
    EXPECT_EQ(chooser().Button1.caption(), "导出(&O)");

    m_host.answers = {MessageAnswer::Yes};
    form().N13.click();
    const std::string current =
        lines({"1,7:30:00,升旗,a.wav,,,", "2,8:00:00,item,b.wav,,,", "3,9:00:00,item,c.wav,,,"});
    EXPECT_EQ(file("zxsj3.log"), current) << "the edit is saved first";
    EXPECT_EQ(file("zxsj9.log"), current);
    EXPECT_EQ(form().tableFileName, "zxsj3.log");
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
    inChooser([](Tdaori5& c) { c.Button2.click(); });

    m_host.fileChoices = {source.string()};
    form().N12.click();  // answered No
    EXPECT_EQ(lastMessage().text, "当前数据将被覆盖，继续吗？");
    EXPECT_EQ(file("zxsj3.log"), wednesday);

    m_host.fileChoices = {source.string()};
    m_host.answers = {MessageAnswer::Yes};
    form().N12.click();
    EXPECT_EQ(file("zxsj3.log"), sourceBytes);
    EXPECT_EQ(form().Grid.cell(3, 1), "up.wav");

    m_host.fileChoices = {target.string()};
    form().N13.click();  // answered No
    EXPECT_EQ(lastMessage().text, "文件" + target.string() + "已存在，覆盖吗？");
    EXPECT_EQ(readBytes(target), targetBytes);

    m_host.fileChoices = {target.string()};
    m_host.answers = {MessageAnswer::Yes};
    form().N13.click();
    EXPECT_EQ(readBytes(target), sourceBytes);

    m_host.messages.clear();
    m_host.fileChoices = {(elsewhere / "missing" / "out.log").string()};
    form().N13.click();
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(lastMessage().caption, "错误");
    EXPECT_TRUE(lastMessage().text.starts_with("文件复制失败！"));
}

}  // namespace
}  // namespace orvessa::editing
