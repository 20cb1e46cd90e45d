#include "core/store/holiday_list.h"
#include "editing_scenario.h"

namespace orvessa::editing {
namespace {

using store::SystemConfig;

class Holidays : public EditingScenario {};

TEST_F(Holidays, OpeningWithoutAListShowsEmptyRowsBesideTheWeekdays) {
    startEditing(kThreeRows);
    form().holidaysItem.click();
    const store::ScheduleTable& t = form().grid.table();
    ASSERT_EQ(t.columnCount(), 4);
    EXPECT_EQ(t.rowCount(), 20);
    EXPECT_EQ(t.cell(0, 0), "序号");
    EXPECT_EQ(t.cell(1, 0), "起始月日");
    EXPECT_EQ(t.cell(2, 0), "结束月日");
    EXPECT_EQ(t.cell(3, 0), " 备    注");
    EXPECT_TRUE(m_system->editor().allEmpty());

    const model::Rect g = HolidayPanel::kGroup;
    const model::Rect b = form().grid.bounds();
    EXPECT_FALSE(b.empty());
    EXPECT_GE(b.left, g.left + g.width) << "right of the group";
    EXPECT_GE(b.top, g.top);
    EXPECT_LE(b.top + b.height, g.top + g.height);
    EXPECT_LE(b.left + b.width, HolidayPanel::kNowPlayingWidth);

    for (const model::Command* c : {&form().weekSettingTool, &form().importTableTool,
                                    &form().exportTableTool, &form().playTool, &form().findTool}) {
        EXPECT_FALSE(c->enabled()) << c->name();
    }
    EXPECT_TRUE(form().holidayOkButton.visible());
}

TEST_F(Holidays, OkStoresTheListAndTheStopDaysThenShowsTodaysTable) {
    startEditing(kThreeRows);
    form().holidaysItem.click();
    form().stopSundayBox.click();
    form().grid.click(1, 1);
    form().grid.editCell(1, 1, "10-1");
    form().grid.editCell(2, 1, "10-7");
    form().grid.editCell(3, 1, "国庆");
    form().grid.click(1, 3);
    form().holidayOkButton.click();

    SystemConfig onDisk(m_dir.path());
    ASSERT_EQ(onDisk.load(), SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(onDisk.entry(SystemConfig::kStopMonday + 6), "1");
    EXPECT_EQ(onDisk.entry(SystemConfig::kStopMonday), "0");
    const std::string list = file("zxsj0.gxr");
    EXPECT_TRUE(list.starts_with(lines({"1,10-1,10-7,国庆,"})));
    EXPECT_TRUE(store::isListedHoliday(list, 2026, 10, 3));
    EXPECT_FALSE(store::isListedHoliday(list, 2026, 10, 8));

    EXPECT_EQ(form().grid.table().columnCount(), 6);
    EXPECT_EQ(form().grid.cell(1, 0), "开播时间");
    EXPECT_EQ(form().grid.cell(3, 1), "a.wav");
    EXPECT_EQ(form().session.tableFileName, "zxsj3.log");
    EXPECT_EQ(form().grid.row(), 1);
    EXPECT_EQ(state().currentRow, 1);
    EXPECT_TRUE(form().grid.bounds().empty());
    EXPECT_FALSE(form().holidayOkButton.visible());
    EXPECT_TRUE(form().weekSettingTool.enabled());
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(Holidays, AnEmptiedListIsStoredEmptySoItsDaysBroadcastAgain) {
    writeBytes(m_dir / "zxsj0.gxr", lines({"1,12-8,12-10,冬假,"}));
    startEditing(kThreeRows);
    ASSERT_TRUE(form().stopDay) << "today is listed";
    form().holidaysItem.click();
    EXPECT_EQ(form().grid.cell(3, 1), "冬假");
    for (int c = 0; c < 4; ++c) {
        form().grid.editCell(c, 1, "");
    }
    form().holidayOkButton.click();
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ(file("zxsj0.gxr"), "");

    // It opens again as a new list does, with rows to type into and nothing to save.
    form().holidaysItem.click();
    EXPECT_EQ(form().grid.table().rowCount(), 20);
    EXPECT_TRUE(m_system->editor().allEmpty());
    EXPECT_FALSE(m_system->editor().modified());

    m_system.reset();
    start(kThreeRows, "08:00:00");
    EXPECT_FALSE(form().stopDay);
}

// A list written elsewhere still loads as it is, but OK stores only days of the calendar that the
// stop-day decision reads as written ("10.1" would be 1 January): the first row that names none
// is refused by its number with its cell selected, the list is not written, the weekday boxes
// are, and the panel stays open to correct it.
TEST_F(Holidays, OkRefusesRowsThatNameNoDayOfTheCalendar) {
    const std::string elsewhere = lines({"1,10.1,,国庆,", "2,5-1,,劳动节,", "3,1-1,,元旦,"});
    writeBytes(m_dir / "zxsj0.gxr", elsewhere);
    startEditing(kThreeRows);
    form().holidaysItem.click();
    EXPECT_EQ(form().grid.cell(1, 1), "10.1");
    form().stopSundayBox.click();

    const auto refused = [&](int column, int row, const std::string& message) {
        const std::size_t before = m_host.messages.size();
        form().grid.click(0, 4);
        form().holidayOkButton.click();
        ASSERT_EQ(m_host.messages.size(), before + 1) << message;
        EXPECT_TRUE(lastMessage().text.starts_with(message)) << lastMessage().text;
        EXPECT_EQ(lastMessage().caption, "错误信息");
        EXPECT_EQ(form().grid.col(), column) << message;
        EXPECT_EQ(form().grid.row(), row) << message;
        EXPECT_TRUE(m_system->holidayPanel().open());
        EXPECT_EQ(file("zxsj0.gxr"), elsewhere);
    };
    refused(1, 1, "第1行的起始月日“10.1”不是日历上的日期！");
    SystemConfig onDisk(m_dir.path());
    ASSERT_EQ(onDisk.load(), SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(onDisk.entry(SystemConfig::kStopMonday + 6), "1") << "the boxes are stored";

    for (const std::string day : {"2-30", "13-1", "1-257", "0-5", "10-1-2", "十-1", "-1"}) {
        form().grid.editCell(1, 1, day);
        refused(1, 1, "第1行的起始月日“" + day + "”不是日历上的日期！");
    }
    form().grid.editCell(1, 1, "");
    refused(1, 1, "第1行没有起始月日！");

    form().grid.editCell(1, 1, " 5-1 ");
    form().grid.editCell(2, 1, "4-31");
    refused(2, 1, "第1行的结束月日“4-31”不是日历上的日期！");
    EXPECT_EQ(form().grid.cell(1, 1), "5-1");

    // Rows below an empty one would never count.
    form().grid.editCell(2, 1, "5-3");
    form().grid.editCell(1, 2, "");
    form().grid.editCell(3, 2, " ");
    form().grid.editCell(1, 3, "2-29");
    form().grid.editCell(3, 3, "闰日");
    refused(1, 2, "第2行是空行，第3行起的节假日都将不起作用！");

    form().grid.editCell(1, 2, "10-1");
    form().grid.editCell(2, 2, "10-07");
    form().holidayOkButton.click();
    EXPECT_FALSE(m_system->holidayPanel().open());
    const std::string list = file("zxsj0.gxr");
    EXPECT_TRUE(list.starts_with(lines({"1,5-1,5-3,国庆,", "2,10-1,10-07,,", "3,2-29,,闰日,"})))
        << list;
    EXPECT_TRUE(store::isListedHoliday(list, 2028, 2, 29));
    EXPECT_TRUE(store::isListedHoliday(list, 2026, 10, 7));
}

// The message asks the operator to correct the cell, so the list must still be there to correct.
TEST_F(Holidays, OkWithACommaInARemarkKeepsTheListOpenToCorrect) {
    startEditing(kThreeRows);
    form().holidaysItem.click();
    form().grid.click(3, 1);
    form().grid.editCell(1, 1, "10-1");
    form().grid.editCell(3, 1, "国庆,中秋");
    form().holidayOkButton.click();
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_EQ(lastMessage().caption, "错误信息");
    EXPECT_TRUE(m_system->holidayPanel().open());
    EXPECT_EQ(form().grid.cell(3, 1), "国庆,中秋");
}

}  // namespace
}  // namespace orvessa::editing
