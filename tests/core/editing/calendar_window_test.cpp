#include "core/editing/calendar_window.h"

#include <gtest/gtest.h>

#include "core/text/gbk.h"
#include "editing_scenario.h"
#include "fakes/scripted_host.h"
#include "fakes/settable_clock.h"
#include "support/temp_dir.h"

namespace orvessa::editing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using platform::MessageAnswer;
using store::CalendarEntry;
using store::StopReason;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// A reader that hands back what the test prepared and keeps the bytes it was given.
class PreparedReader : public platform::CalendarReader {
public:
    platform::CalendarEvents events;
    std::vector<std::string> texts;
    using platform::CalendarReader::read;
    platform::CalendarEvents read(std::string_view icsText,
                                  const platform::ReadProgress&) override {
        texts.emplace_back(icsText);
        return events;
    }
};

int choiceOf(const char* caption) {
    for (int i = 0; i < static_cast<int>(std::size(CalendarWindow::kChoices)); ++i) {
        if (std::string(CalendarWindow::kChoices[i]) == caption) {
            return i;
        }
    }
    return -1;
}

// Friday 2027-01-15 in the morning; Saturday and Sunday are stop days by their flags.
class CalendarWindowTest : public ::testing::Test {
protected:
    CalendarWindowTest() { m_rules.stopOnWeekday[5] = m_rules.stopOnWeekday[6] = true; }

    void writeCalendar(const std::string& utf8Lines) {
        writeBytes(m_dir / "calendar.txt", text::utf8ToGbk(utf8Lines));
        m_planner.reload();
    }

    // Opens the window and plays the operator in it.
    void openWith(std::function<void(CalendarWindow&)> operate) {
        m_host.onShown("CalendarWindow", [&](model::Window&) { operate(m_window); });
        m_window.open();
    }

    void choose(year_month_day first, year_month_day last, const char* choice,
                const std::string& remark = {}) {
        m_window.selectDate(first);
        m_window.extendSelection(last);
        m_window.planChoice.setItemIndex(choiceOf(choice));
        m_window.remarkField.setText(remark);
        m_window.applyChoice.click();
    }

    // The day as the window draws it.
    CalendarDay drawn(year_month_day date) const {
        const unsigned m = static_cast<unsigned>(date.month());
        for (const auto& cell : m_window.monthDays(static_cast<int>(m))) {
            if (cell && cell->date == date) {
                return *cell;
            }
        }
        ADD_FAILURE() << "not drawn: " << store::dateText(date);
        return {};
    }

    TempDir m_dir;
    fakes::ScriptedHost m_host;
    fakes::SettableClock m_clock{platform::LocalDateTime{2027, 1, 15, 9, 0, 0}};
    store::WeekRules m_rules;
    store::DayPlanner m_planner{m_dir.path(), [this] { return m_rules; }, nullptr};
    PreparedReader m_reader;
    CalendarWindow m_window{CalendarServices{m_host, m_clock, m_planner, m_dir.path(), &m_reader}};
};

TEST_F(CalendarWindowTest, EditsCutTheEntriesTheyOverlapAndOkStoresThemForThePlanner) {
    writeCalendar("1,2027-02-01,2027-02-28,0,寒假\r\n");
    openWith([&](CalendarWindow& w) {
        EXPECT_EQ(w.shownYear(), 2027);
        EXPECT_TRUE(drawn(2027y / 1 / 15).today);
        EXPECT_TRUE(drawn(2027y / 1 / 15).selected);
        EXPECT_EQ(drawn(2027y / 1 / 16).stop, StopReason::WeekdayFlag);

        // A make-up week inside the holiday, with its remark.
        choose(2027y / 2 / 10, 2027y / 2 / 12, "星期五", "调休：按星期五上课");
        // A Saturday inside it back to the weekly rules: its stop flag decides again.
        choose(2027y / 2 / 20, 2027y / 2 / 20, "按常规", "ignored");
        EXPECT_EQ(w.entries(), (std::vector<CalendarEntry>{
                                   {2027y / 2 / 1, 2027y / 2 / 9, 0, "寒假"},
                                   {2027y / 2 / 10, 2027y / 2 / 12, 5, "调休：按星期五上课"},
                                   {2027y / 2 / 13, 2027y / 2 / 19, 0, "寒假"},
                                   {2027y / 2 / 21, 2027y / 2 / 28, 0, "寒假"}}));
        EXPECT_EQ(drawn(2027y / 2 / 20).stop, StopReason::WeekdayFlag);
        EXPECT_FALSE(drawn(2027y / 2 / 20).byCalendar);
        EXPECT_EQ(drawn(2027y / 2 / 11),
                  (CalendarDay{2027y / 2 / 11, StopReason::None, 5, true, false, false}));
        EXPECT_EQ(drawn(2027y / 2 / 22).stop, StopReason::Calendar);
        EXPECT_EQ(CalendarWindow::stopMark(StopReason::Calendar), "校");

        // Selecting dated days shows their plan and remark, ready to be changed.
        w.selectDate(2027y / 2 / 11);
        EXPECT_EQ(w.planChoice.itemIndex(), choiceOf("星期五"));
        EXPECT_EQ(w.remarkField.text(), "调休：按星期五上课");
        EXPECT_EQ(w.selectionLine.text(),
                  "选定：2027-02-11 星期四：按校历播出星期五作息表（调休：按星期五上课）");
        w.selectDate(2027y / 2 / 19);
        w.extendSelection(2027y / 2 / 21);
        EXPECT_EQ(w.planChoice.itemIndex(), CalendarWindow::kRegular) << "two entries and none";
        EXPECT_EQ(w.selectionLine.text(), "选定：2027-02-19 至 02-21，共 3 天");
        // Nothing is stored before OK.
        EXPECT_EQ(readBytes(m_dir / "calendar.txt"),
                  text::utf8ToGbk("1,2027-02-01,2027-02-28,0,寒假\r\n"));
        EXPECT_EQ(m_planner.calendar().entries.size(), 1u);
        w.okButton.click();
    });
    EXPECT_EQ(m_window.modalResult(), model::ModalResult::Accepted);
    EXPECT_EQ(readBytes(m_dir / "calendar.txt"),
              text::utf8ToGbk("1,2027-02-01,2027-02-09,0,寒假\r\n"
                              "2,2027-02-10,2027-02-12,5,调休：按星期五上课\r\n"
                              "3,2027-02-13,2027-02-19,0,寒假\r\n"
                              "4,2027-02-21,2027-02-28,0,寒假\r\n"));
    EXPECT_EQ(m_planner.planFor(2027y / 2 / 11).table, 5);
    EXPECT_EQ(m_planner.planFor(2027y / 2 / 20).stop, StopReason::WeekdayFlag);
}

TEST_F(CalendarWindowTest, CancelLeavesTheFileAndThePlannerAndShowsTheSkippedLines) {
    const std::string stored = "1,2027-03-01,,0,运动会\r\n2,2027-02-30,,0,坏日期\r\n";
    writeCalendar(stored);
    openWith([&](CalendarWindow& w) {
        EXPECT_TRUE(w.problemList.visible());
        EXPECT_EQ(w.problemList.items(),
                  std::vector<std::string>{"第2行：起始日期无效  “2,2027-02-30,,0,坏日期”"});
        choose(2027y / 3 / 1, 2027y / 3 / 1, "模板二", "考试");
        EXPECT_EQ(w.entryList.items(), std::vector<std::string>{"2027-03-01  模板二  考试"});
        w.cancelButton.click();
    });
    EXPECT_EQ(m_window.modalResult(), model::ModalResult::Closed);
    EXPECT_EQ(readBytes(m_dir / "calendar.txt"), text::utf8ToGbk(stored));
    EXPECT_EQ(m_planner.planFor(2027y / 3 / 1).stop, StopReason::Calendar);

    // The next opening starts again from the stored calendar.
    openWith([&](CalendarWindow& w) {
        EXPECT_EQ(w.entryList.items(), std::vector<std::string>{"2027-03-01  停播  运动会"});
        w.okButton.click();
    });
    EXPECT_EQ(readBytes(m_dir / "calendar.txt"), text::utf8ToGbk(stored))
        << "OK without an edit writes nothing, and the skipped line stays in the file";

    // A stored edit keeps the line it could not read, as typed, for the operator to mend.
    openWith([&](CalendarWindow& w) {
        choose(2027y / 3 / 2, 2027y / 3 / 2, "星期一", "");
        w.okButton.click();
    });
    EXPECT_EQ(readBytes(m_dir / "calendar.txt"),
              text::utf8ToGbk("1,2027-03-01,,0,运动会\r\n2,2027-03-02,,1,\r\n"
                              "2,2027-02-30,,0,坏日期\r\n"));
    EXPECT_EQ(m_planner.calendar().problems.size(), 1u);
}

TEST_F(CalendarWindowTest, AFailedStoreKeepsTheWindowAndItsEditsAndSaysWhy) {
    CalendarWindow window{CalendarServices{m_host, m_clock, m_planner, m_dir / "gone", nullptr}};
    EXPECT_FALSE(window.importCalendar.visible()) << "no reader, no import";
    m_host.onShown("CalendarWindow", [&](model::Window&) {
        window.selectDate(2027y / 4 / 5);
        window.planChoice.setItemIndex(choiceOf("停播"));
        window.remarkField.setText("清明");
        window.applyChoice.click();
        window.okButton.click();
        ASSERT_EQ(m_host.messages.size(), 1u);
        EXPECT_EQ(m_host.messages[0].text.rfind("校历未能存盘，修改仍保留在窗口中：\r", 0), 0u)
            << m_host.messages[0].text;
        EXPECT_EQ(m_host.messages[0].icon, platform::MessageIcon::Error);
        EXPECT_NE(window.modalResult(), model::ModalResult::Accepted);
        EXPECT_TRUE(window.edited());
        EXPECT_TRUE(m_planner.calendar().entries.empty());

        // The operator makes room and tries again: nothing was lost.
        fs::create_directory(m_dir / "gone");
        window.okButton.click();
    });
    window.open();
    EXPECT_EQ(window.modalResult(), model::ModalResult::Accepted);
    EXPECT_EQ(readBytes(m_dir / "gone" / "calendar.txt"),
              text::utf8ToGbk("1,2027-04-05,,0,清明\r\n"));
    EXPECT_EQ(m_planner.planFor(2027y / 4 / 5).stop, StopReason::Calendar);
}

// calendar.txt written by hand (or by the console) is never overwritten with an older copy:
// the window opens on the file as it stands, and OK after the file changed under it stores
// nothing, says what changed, and on the operator's word starts again from the file.
TEST_F(CalendarWindowTest, AFileChangedOnDiskIsNeverOverwrittenWithTheWindowsCopy) {
    writeCalendar("1,2027-03-01,,0,运动会\r\n");
    // Written by hand after the planner read it.
    const std::string byHand =
        text::utf8ToGbk("1,2027-03-01,,0,运动会\r\n2,2027-04-05,,0,清明\r\n# 注释\r\n");
    writeBytes(m_dir / "calendar.txt", byHand);
    openWith([&](CalendarWindow& w) {
        EXPECT_EQ(w.entries().size(), 2u) << "the window reads the file as it stands";
        choose(2027y / 5 / 3, 2027y / 5 / 3, "星期一");
        // A remark the file cannot hold is refused, as the console refuses it.
        choose(2027y / 5 / 4, 2027y / 5 / 4, "停播", "笑😀脸");
        ASSERT_EQ(m_host.messages.size(), 1u);
        EXPECT_EQ(m_host.messages[0].text, store::kRemarkOutsideGbk);
        EXPECT_EQ(w.entries().size(), 3u);
        m_host.messages.clear();
        // Changed again while the window is open.
        writeBytes(m_dir / "calendar.txt",
                   text::utf8ToGbk("1,2027-04-05,,0,清明\r\n2,2027-06-01,,2,儿童节\r\n"));
        m_host.answers = {MessageAnswer::No};
        w.okButton.click();
        ASSERT_EQ(m_host.messages.size(), 1u);
        const std::string& text = m_host.messages[0].text;
        EXPECT_NE(text.find("校历未存盘"), std::string::npos) << text;
        EXPECT_NE(text.find("2027-06-01  星期二  儿童节"), std::string::npos) << text;
        EXPECT_NE(text.find("2027-03-01  停播  运动会"), std::string::npos) << text;
        EXPECT_TRUE(w.edited()) << "No keeps the edits";
        EXPECT_NE(w.modalResult(), model::ModalResult::Accepted);

        // Yes starts again from the file; an edit made then is stored over it.
        m_host.answers = {MessageAnswer::Yes};
        w.okButton.click();
        EXPECT_FALSE(w.edited());
        EXPECT_EQ(w.entries().size(), 2u);
        choose(2027y / 5 / 3, 2027y / 5 / 3, "星期一");
        w.okButton.click();
    });
    EXPECT_EQ(m_window.modalResult(), model::ModalResult::Accepted);
    EXPECT_EQ(readBytes(m_dir / "calendar.txt"),
              text::utf8ToGbk("1,2027-04-05,,0,清明\r\n2,2027-05-03,,1,\r\n"
                              "3,2027-06-01,,2,儿童节\r\n"));
}

TEST_F(CalendarWindowTest, ClearingPastYearsAsksAndKeepsWhatReachesThisYear) {
    writeCalendar(
        "1,2025-10-01,2025-10-07,0,国庆\r\n"
        "2,2026-12-28,2027-01-03,0,元旦\r\n"
        "3,2026-12-31,,0,年终\r\n"
        "4,2027-05-01,,0,劳动节\r\n");
    openWith([&](CalendarWindow& w) {
        m_host.answers = {MessageAnswer::No};
        w.clearPastYears.click();
        EXPECT_EQ(m_host.messages.back().text, "清除2027年以前的 2 条校历条目吗？");
        EXPECT_EQ(w.entries().size(), 4u);
        EXPECT_FALSE(w.edited());

        m_host.answers = {MessageAnswer::Yes};
        w.clearPastYears.click();
        EXPECT_EQ(w.entries(),
                  (std::vector<CalendarEntry>{{2026y / 12 / 28, 2027y / 1 / 3, 0, "元旦"},
                                              {2027y / 5 / 1, 2027y / 5 / 1, 0, "劳动节"}}));
        w.clearPastYears.click();
        EXPECT_EQ(m_host.messages.back().text, "没有2027年以前的校历条目。");
    });
}

TEST_F(CalendarWindowTest, AnImportAddsDaysOffAndMakeUpDaysOnceAndUnknownOnesOnlyWhenMarked) {
    writeCalendar("1,2027-01-01,,0,元旦\r\n");
    writeBytes(m_dir / "holidays.ics", "BEGIN:VCALENDAR");
    m_reader.events.events = {{"春节 休", 2027y / 2 / 6, 2027y / 2 / 12},
                              {"补班", 2027y / 2 / 20, 2027y / 2 / 20},
                              {"元旦", 2027y / 1 / 1, 2027y / 1 / 1},
                              {"教师节", 2027y / 9 / 10, 2027y / 9 / 10}};
    m_reader.events.events[2].summary = "元旦休";
    m_reader.events.unplaced = {{"周会", "重复事件"}};
    CalendarImportDialog& dialog = m_window.importDialog();
    openWith([&](CalendarWindow& w) {
        // Cancelled file dialog, missing file, refused file: a message at most, nothing added.
        w.importCalendar.click();
        m_host.fileChoices = {(m_dir / "none.ics").string()};
        w.importCalendar.click();
        EXPECT_EQ(m_host.messages.back().text,
                  "无法导入日历文件 none.ics：\r文件不存在\r\r校历没有改变。");
        m_reader.events.error = "不是日历文件";
        m_host.fileChoices = {(m_dir / "holidays.ics").string()};
        w.importCalendar.click();
        EXPECT_EQ(m_host.messages.back().text,
                  "无法导入日历文件 holidays.ics：\r不是日历文件\r\r校历没有改变。");
        EXPECT_FALSE(w.edited());
        m_reader.events.error.clear();

        // Cancel in the list adds nothing.
        m_host.onShown("CalendarImportDialog",
                       [&](model::Window&) { dialog.cancelButton.click(); });
        m_host.fileChoices = {(m_dir / "holidays.ics").string()};
        w.importCalendar.click();
        EXPECT_FALSE(w.edited());
        EXPECT_EQ(m_reader.texts.back(), "BEGIN:VCALENDAR");

        m_host.onShown("CalendarImportDialog", [&](model::Window&) {
            ASSERT_EQ(dialog.items().size(), 4u);
            EXPECT_EQ(dialog.datesOf(0), "2027-01-01 星期五");
            EXPECT_EQ(dialog.noteOf(0), "已在校历中");
            EXPECT_EQ(dialog.datesOf(1), "2027-02-06 至 2027-02-12");
            EXPECT_EQ(dialog.kindIndex(1), 1);
            EXPECT_EQ(dialog.kindIndex(2), 2);
            EXPECT_EQ(dialog.items()[2].table, 1) << "a Saturday makes up Monday by default";
            EXPECT_EQ(dialog.kindIndex(3), 0);
            EXPECT_EQ(dialog.unplacedList.items(), std::vector<std::string>{"周会：重复事件"});
            dialog.setTable(2, 5);
            EXPECT_EQ(dialog.summaryLine.text().rfind("将添加 2 条：停播 1 条，调休上课 1 天；1 "
                                                      "个事件未定，不导入。",
                                                      0),
                      0u)
                << dialog.summaryLine.text();
            dialog.okButton.click();
        });
        m_host.fileChoices = {(m_dir / "holidays.ics").string()};
        w.importCalendar.click();
        EXPECT_EQ(w.entries(),
                  (std::vector<CalendarEntry>{{2027y / 1 / 1, 2027y / 1 / 1, 0, "元旦"},
                                              {2027y / 2 / 6, 2027y / 2 / 12, 0, "春节 休"},
                                              {2027y / 2 / 20, 2027y / 2 / 20, 5, "补班"}}));

        // The same file again adds nothing that is there; the unknown event counts once the
        // operator says what it is.
        m_host.onShown("CalendarImportDialog", [&](model::Window&) {
            EXPECT_EQ(dialog.noteOf(1), "已在校历中");
            // The make-up day keeps the table the calendar gave it, not Monday's again.
            EXPECT_EQ(dialog.items()[2].table, 5);
            EXPECT_EQ(dialog.noteOf(2), "已在校历中");
            dialog.setKind(3, 1);
            dialog.okButton.click();
        });
        m_host.fileChoices = {(m_dir / "holidays.ics").string()};
        w.importCalendar.click();
        ASSERT_EQ(w.entries().size(), 4u);
        EXPECT_EQ(w.entries()[2], (CalendarEntry{2027y / 2 / 20, 2027y / 2 / 20, 5, "补班"}));
        EXPECT_EQ(w.entries()[3], (CalendarEntry{2027y / 9 / 10, 2027y / 9 / 10, 0, "教师节"}));
        w.okButton.click();
    });
    EXPECT_EQ(m_planner.planFor(2027y / 2 / 20).table, 5);
    EXPECT_EQ(m_planner.planFor(2027y / 9 / 10).stop, StopReason::Calendar);
}

TEST_F(CalendarWindowTest, TwoPlansForOneDateAreShownAndOkStoresNothingUntilOneIsChosen) {
    const std::string stored =
        "1,2027-02-01,2027-02-28,0,寒假\r\n"
        "2,2027-02-20,,5,调休\r\n"
        "3,2027-03-05,,0,停课\r\n"
        "4,2027-03-05,,3,运动会\r\n";
    writeCalendar(stored);
    openWith([&](CalendarWindow& w) {
        // The make-up day inside the holiday is meant; two plans for one day are not.
        EXPECT_TRUE(w.problemList.visible());
        EXPECT_EQ(w.problemTitle.text(), "以下日期有两条不同的安排，请双击选定后重新安排：");
        EXPECT_EQ(w.problemList.items(),
                  std::vector<std::string>{"2027-03-05：有两条不同的安排（“停播 停课”和“星期三 "
                                           "运动会”），现按“星期三”"});
        EXPECT_EQ(drawn(2027y / 3 / 5).table, 3) << "drawn as it plays";

        // An edit elsewhere, and OK: nothing is stored, and nothing is lost.
        choose(2027y / 4 / 5, 2027y / 4 / 5, "停播", "清明");
        w.okButton.click();
        ASSERT_EQ(m_host.messages.size(), 1u);
        EXPECT_EQ(m_host.messages[0].text,
                  "以下日期有两条不同的安排，校历未存盘，修改仍保留在窗口中：\r"
                  "2027-03-05：有两条不同的安排（“停播 停课”和“星期三 运动会”），现按“星期三”\r"
                  "\r请双击列表中的日期，选好安排后按“应用”，再按“确定”。");
        EXPECT_EQ(m_host.messages[0].icon, platform::MessageIcon::Warning);
        EXPECT_NE(w.modalResult(), model::ModalResult::Accepted);
        EXPECT_EQ(readBytes(m_dir / "calendar.txt"), text::utf8ToGbk(stored));
        EXPECT_TRUE(w.edited());

        // A double click selects the date; a plan chosen for it settles it.
        w.problemList.setItemIndex(0);
        w.problemList.doubleClicked.send();
        EXPECT_EQ(w.selectionFirst(), 2027y / 3 / 5);
        EXPECT_EQ(w.selectionLast(), 2027y / 3 / 5);
        w.planChoice.setItemIndex(choiceOf("停播"));
        w.remarkField.setText("停课");
        w.applyChoice.click();
        EXPECT_TRUE(w.conflicts().empty());
        EXPECT_FALSE(w.problemList.visible());
        w.okButton.click();
    });
    EXPECT_EQ(m_window.modalResult(), model::ModalResult::Accepted);
    EXPECT_EQ(readBytes(m_dir / "calendar.txt"),
              text::utf8ToGbk("1,2027-02-01,2027-02-28,0,寒假\r\n"
                              "2,2027-02-20,,5,调休\r\n"
                              "3,2027-03-05,,0,停课\r\n"
                              "4,2027-04-05,,0,清明\r\n"));
    EXPECT_EQ(m_planner.planFor(2027y / 3 / 5).stop, StopReason::Calendar);
    EXPECT_EQ(m_planner.planFor(2027y / 2 / 20).table, 5);
    ASSERT_EQ(m_planner.calendar().entries.size(), 4u);
    EXPECT_EQ(m_planner.calendar().entries[3].line, 4) << "numbered as the file now is";
}

TEST_F(CalendarWindowTest, ALongRemarkIsCutInTheWindowsLinesAndKeptWholeInTheFieldAndFile) {
    std::string remark;
    for (int i = 0; i < 50; ++i) {
        remark += "运动会。";
    }
    const std::string shown = text::firstCharacters(remark, 29) + "…";
    // Lone CR line ends, as an old editor leaves them.
    writeBytes(m_dir / "calendar.txt",
               text::utf8ToGbk("1,2027-03-01,,8," + remark + "\r2,2027-03-02,,0,停课\r"));
    m_planner.reload();
    openWith([&](CalendarWindow& w) {
        EXPECT_EQ(w.entryList.items(), (std::vector<std::string>{"2027-03-01  模板一  " + shown,
                                                                 "2027-03-02  停播  停课"}));
        w.selectDate(2027y / 3 / 1);
        EXPECT_EQ(w.selectionLine.text(),
                  "选定：2027-03-01 星期一：按校历播出模板一作息表（" + shown + "）");
        EXPECT_EQ(w.describe(2027y / 3 / 1),
                  "2027-03-01 星期一：按校历播出模板一作息表（" + shown + "）");
        EXPECT_EQ(w.remarkField.text(), remark);
        w.applyChoice.click();
        choose(2027y / 3 / 3, 2027y / 3 / 3, "停播", "");
        w.okButton.click();
    });
    EXPECT_EQ(readBytes(m_dir / "calendar.txt"),
              text::utf8ToGbk("1,2027-03-01,,8," + remark +
                              "\r\n2,2027-03-02,,0,停课\r\n3,2027-03-03,,0,\r\n"));
}

// The running system: the command is a setting of manual operation, and what OK stores is
// what the system plans with from then on.
class CalendarCommand : public EditingScenario {};

TEST_F(CalendarCommand, IsOfferedInManualOperationAndTheSystemPlansWithWhatOkStored) {
    start(kThreeRows, "08:00:00");
    EXPECT_FALSE(form().schoolCalendar.enabled());
    form().manualOperation.click();
    ASSERT_TRUE(form().schoolCalendar.enabled());
    m_host.onShown("CalendarWindow", [&](model::Window&) {
        CalendarWindow& w = m_system->calendarWindow();
        EXPECT_EQ(w.selectionFirst(), 2026y / 12 / 9) << "today";
        w.selectDate(2026y / 12 / 10);
        w.planChoice.setItemIndex(choiceOf("停播"));
        w.applyChoice.click();
        w.okButton.click();
    });
    form().schoolCalendar.click();
    EXPECT_EQ(m_host.shownModally.back(), "CalendarWindow");
    EXPECT_EQ(m_system->dayPlanner().planFor(2026y / 12 / 10).stop, StopReason::Calendar);
    EXPECT_EQ(readBytes(m_dir / "calendar.txt"), "1,2026-12-10,,0,\r\n");
}

}  // namespace
}  // namespace orvessa::editing
