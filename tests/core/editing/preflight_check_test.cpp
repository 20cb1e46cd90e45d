#include "core/editing/preflight_check.h"

#include "editing_scenario.h"
#include "fakes/fake_day_checker.h"

namespace orvessa::editing {
namespace {

using namespace std::chrono;

constexpr int kHour = 3600;

// The collision of the rehearsal: a ten-minute file at 08:00, a timed row at 08:05 that it
// holds off until 08:10, and a bell at noon that rings as planned.
DayCheckResult collision() {
    DayCheckResult r;
    r.tableFileName = "zxsj4.log";
    r.problems = {{2, "still-playing", 1, "b.wav", 8 * kHour + 10 * 60 + 1}};
    r.bars = {{1, 8 * kHour, 8 * kHour + 600, false},
              {2, 8 * kHour + 300, 8 * kHour + 300, true},
              {3, 12 * kHour, 12 * kHour + 20, false}};
    return r;
}

// Wednesday 2026-12-09 at 08:00, in manual operation, with a checker that answers from a script.
class Preflight : public EditingScenario {
protected:
    void startChecking(const std::vector<Row>& rows) {
        std::string config;
        for (const auto& e : entries) {
            config += e + "\r\n";
        }
        writeBytes(m_dir / "orvessa.sys", config);
        writeTable(3, rows);
        setTime("08:00:00");
        system::PlatformServices services = m_platform.services(m_dir.path());
        services.dayChecker = &checker;
        m_system = system::OrvessaSystem::start(services);
        form().setVisible(true);
        form().activate();
    }

    PreflightCheck& dialog() { return *m_system->preflightCheck(); }

    fakes::FakeDayChecker checker;
};

TEST_F(Preflight, TheOperatorChecksTheGridForADayAndGoesToTheRowAtFault) {
    checker.results[2026y / 12 / 10] = collision();
    DayCheckResult stopDay;
    stopDay.stopDay = true;
    checker.results[2026y / 12 / 12] = stopDay;
    // A make-up Sunday, and a dated stop on a Monday.
    DayCheckResult makeUp;
    makeUp.tableFileName = "zxsj5.log";
    makeUp.plan.table = 5;
    makeUp.plan.entry = store::CalendarEntry{2026y / 12 / 13, 2026y / 12 / 13, 5, "调休"};
    checker.results[2026y / 12 / 13] = makeUp;
    stopDay.plan.stop = store::StopReason::Calendar;
    stopDay.plan.entry = store::CalendarEntry{2026y / 12 / 14, 2026y / 12 / 14, 0, "校运会"};
    checker.results[2026y / 12 / 14] = stopDay;
    startChecking(kThreeRows);
    EXPECT_FALSE(form().preflightItem.enabled()) << "not in automatic operation";
    form().manualOperation.click();
    ASSERT_TRUE(form().preflightItem.enabled());
    form().grid.editCell(3, 3, "c2.wav");  // not saved

    bool shown = false;
    m_host.onShown("PreflightCheck", [&](model::Window&) {
        shown = true;
        PreflightCheck& d = dialog();
        // Tomorrow, with the grid as it stands.
        EXPECT_EQ(d.dateField.text(), "2026-12-10");
        ASSERT_EQ(checker.checkedDates, std::vector<year_month_day>{2026y / 12 / 10});
        EXPECT_EQ(checker.shownTables.back().cell(3, 3), "c2.wav");
        EXPECT_EQ(d.summaryLine.text(),
                  "2026-12-10 星期四  预演表格中的 zxsj3.log：发现 1 个问题  (该日本应播出 "
                  "zxsj4.log)");
        EXPECT_EQ(d.summaryLine.color(), model::kRed);
        // At the row's own time, not when the clock gave up on it.
        EXPECT_EQ(d.problemList.items(),
                  std::vector<std::string>{"第2行  08:05:00  上一行仍在播放 (第1行)"});

        // The collision on a timeline 960 pixels wide: 40 pixels an hour, the held-off row
        // under the file that held it, three pixels wide though it took no time.
        EXPECT_EQ(d.laneCount(), 2);
        const std::vector<TimelineSpan> spans = d.timeline(960);
        ASSERT_EQ(spans.size(), 3u);
        EXPECT_EQ(spans[0], (TimelineSpan{1, 320, 326, 0, false, 480}));
        EXPECT_EQ(spans[1], (TimelineSpan{2, 323, 326, 1, true, 960}));
        EXPECT_EQ(spans[2], (TimelineSpan{3, 480, 483, 0, false, 960}));
        EXPECT_EQ(PreflightCheck::hourX(24, 960), 960);

        // Another date checks again; a stop day has nothing to play.
        d.dateChanged(2026y / 12 / 12);
        EXPECT_EQ(checker.checkedDates.size(), 2u);
        EXPECT_EQ(d.problemList.items(), std::vector<std::string>{"该日停播，不播出任何内容。"});
        EXPECT_TRUE(d.timeline(960).empty());
        d.problemList.setItemIndex(0);
        d.problemList.doubleClicked.send();
        EXPECT_TRUE(d.visible()) << "a line that is no problem leads nowhere";

        // The calendar's days name it.
        d.dateChanged(2026y / 12 / 13);
        EXPECT_EQ(d.summaryLine.text(),
                  "2026-12-13 星期日：校历 → zxsj5.log（调休）  预演表格中的 "
                  "zxsj3.log：没有发现问题");
        d.dateChanged(2026y / 12 / 14);
        EXPECT_EQ(d.summaryLine.text(), "2026-12-14 星期一：校历停播日（校运会）");
        EXPECT_EQ(d.problemList.items(),
                  std::vector<std::string>{"该日按校历停播，不播出任何内容。"});

        d.dateChanged(2026y / 12 / 10);
        d.problemList.setItemIndex(0);
        d.problemList.doubleClicked.send();
    });
    form().preflightItem.click();
    ASSERT_TRUE(shown);
    EXPECT_EQ(dialog().modalResult(), model::ModalResult::Accepted);
    EXPECT_EQ(form().grid.row(), 2);
    EXPECT_EQ(state().currentRow, 2);

    // The date picked stays while it is to come, and gives way to tomorrow once it has passed.
    m_host.onShown("PreflightCheck", [](model::Window&) {});
    form().preflightItem.click();
    EXPECT_EQ(dialog().dateField.text(), "2026-12-10");
    m_clock.setDate(2026, 12, 11);
    form().preflightItem.click();
    EXPECT_EQ(dialog().dateField.text(), "2026-12-12");
}

// Lines of calendar.txt that may have decided 2026-12-10: one skipped, one overruled.
store::CalendarDoubts calendarDoubts() {
    store::CalendarDoubts doubts;
    doubts.skipped.push_back(store::CalendarProblem{1, store::CalendarLineFault::LastBeforeFirst,
                                                    "1,2026-12-20,2026-12-01,0,寒假", ""});
    store::CalendarEntry stop{2026y / 12 / 10, 2026y / 12 / 10, 0, "停课"};
    stop.line = 2;
    store::CalendarEntry sports{2026y / 12 / 10, 2026y / 12 / 10, 5, "运动会"};
    sports.line = 3;
    doubts.overruled.push_back({2026y / 12 / 10, 2026y / 12 / 10, sports, stop});
    return doubts;
}

TEST_F(Preflight, TheCalendarLinesThatMayHaveDecidedTheDayComeFirstAndCount) {
    DayCheckResult day = collision();
    day.calendar = calendarDoubts();
    checker.results[2026y / 12 / 10] = day;
    DayCheckResult stopDay;
    stopDay.stopDay = true;
    stopDay.calendar.skipped = day.calendar.skipped;
    checker.results[2026y / 12 / 12] = stopDay;
    startChecking(kThreeRows);
    form().manualOperation.click();
    const std::string skipped =
        "校历第1行已跳过（结束日期早于起始日期），该日可能本应按它安排：“1,2026-12-20,2026-12-01,"
        "0,寒假”";
    m_host.onShown("PreflightCheck", [&](model::Window&) {
        PreflightCheck& d = dialog();
        EXPECT_EQ(d.summaryLine.text(),
                  "2026-12-10 星期四  预演表格中的 zxsj3.log：发现 1 个问题  (该日本应播出 "
                  "zxsj4.log)  校历：发现 2 个问题");
        EXPECT_EQ(d.problemList.items(),
                  (std::vector<std::string>{
                      skipped, "校历第2行（停播）与第3行（星期五作息表）安排不同，该日按第3行播出",
                      "第2行  08:05:00  上一行仍在播放 (第1行)"}));
        d.problemList.setItemIndex(1);
        d.problemList.doubleClicked.send();
        EXPECT_TRUE(d.visible()) << "a calendar line is no row of the grid";

        d.dateChanged(2026y / 12 / 12);
        EXPECT_EQ(d.summaryLine.text(), "2026-12-12 星期六：停播日  校历：发现 1 个问题");
        EXPECT_EQ(d.summaryLine.color(), model::kRed);
        EXPECT_EQ(d.problemList.items(),
                  (std::vector<std::string>{skipped, "该日停播，不播出任何内容。"}));

        // Without rows at fault the rows are said to be fine, and the calendar is not.
        DayCheckResult rowsFine;
        rowsFine.tableFileName = "zxsj3.log";
        rowsFine.calendar.readError = "/srv/orvessa/calendar.txt: Permission denied";
        checker.results[2026y / 12 / 16] = rowsFine;
        d.dateChanged(2026y / 12 / 16);
        EXPECT_EQ(d.problemList.items(),
                  (std::vector<std::string>{
                      "校历文件无法读取，该日只按每周规则安排：/srv/orvessa/calendar.txt: "
                      "Permission denied",
                      "该日所有行都能按时播出。"}));
        EXPECT_EQ(d.summaryLine.color(), model::kRed);
        d.closeButton.click();
    });
    form().preflightItem.click();

    // The check after a save counts them too.
    checker.results[2026y / 12 / 16] = day;
    checker.nextDay = 2026y / 12 / 16;
    form().grid.editCell(3, 1, "a2.wav");
    form().saveButton.click();
    EXPECT_EQ(form().hintLine.text(),
              "  ☆ 已存盘。预演 2026-12-16 星期三：发现 3 个问题，请用“预演检查”查看！");
}

TEST_F(Preflight, ASavedTableIsCheckedForTheNextDayItIsBroadcast) {
    startChecking(kThreeRows);
    form().manualOperation.click();
    DayCheckResult twoProblems = collision();
    twoProblems.problems.push_back({3, "missing", 0, "/srv/gone.wav", 12 * kHour});
    checker.results[2026y / 12 / 16] = twoProblems;
    checker.nextDay = 2026y / 12 / 16;

    form().grid.editCell(3, 1, "a2.wav");
    form().saveButton.click();
    ASSERT_EQ(checker.nextDayQuestions.size(), 1u);
    EXPECT_EQ(checker.nextDayQuestions[0].first, "zxsj3.log");
    EXPECT_EQ(checker.nextDayQuestions[0].second, 2026y / 12 / 10);
    // The file as written, not the grid: a cell the file could not hold shows as it reads back.
    EXPECT_EQ(checker.tableShown, std::vector<bool>{false});
    EXPECT_EQ(form().hintLine.text(),
              "  ☆ 已存盘。预演 2026-12-16 星期三：发现 2 个问题，请用“预演检查”查看！");
    EXPECT_EQ(form().hintLine.color(), model::kRed);
    EXPECT_TRUE(m_host.shownModally.empty()) << "no dialog";

    checker.results[2026y / 12 / 16].error = "cannot read /srv/orvessa/orvessa.sys";
    form().grid.editCell(3, 1, "a4.wav");
    form().saveItem.click();
    EXPECT_EQ(form().hintLine.text(),
              "  ☆ 已存盘，但无法预演：cannot read /srv/orvessa/orvessa.sys");

    checker.nextDay.reset();
    form().grid.editCell(3, 1, "a5.wav");
    form().saveButton.click();
    EXPECT_EQ(form().hintLine.text(), "  ☆ 已存盘。一年内没有哪天播出 zxsj3.log，未预演。");

    // The holiday list is saved through the same command, and is no day's table.
    const std::size_t asked = checker.nextDayQuestions.size();
    form().holidaysItem.click();
    form().grid.editCell(1, 1, "12-25");
    form().grid.editCell(2, 1, "12-26");
    form().saveButton.click();
    EXPECT_TRUE(fs::exists(m_dir / "zxsj0.gxr"));
    EXPECT_EQ(checker.nextDayQuestions.size(), asked);
}

TEST_F(Preflight, TheReportOfASaveGoesWhenAnotherTableIsLoaded) {
    writeTable(1, kThreeRows);
    startChecking(kThreeRows);
    form().manualOperation.click();
    checker.results[2026y / 12 / 16] = collision();
    checker.nextDay = 2026y / 12 / 16;
    const std::string report =
        "  ☆ 已存盘。预演 2026-12-16 星期三：发现 1 个问题，请用“预演检查”查看！";

    form().grid.editCell(3, 1, "a2.wav");
    form().saveButton.click();
    ASSERT_EQ(form().hintLine.text(), report);
    // Monday's table in the grid: the report spoke of Wednesday's.
    form().weekSelector.setItemIndex(0);
    EXPECT_EQ(form().hintLine.text(), "");

    form().grid.editCell(3, 1, "a3.wav");
    form().saveButton.click();
    ASSERT_EQ(form().hintLine.text(), report);
    // Friday has no table: the load's own red notice stands.
    form().weekSelector.setItemIndex(4);
    EXPECT_EQ(form().hintLine.text(), "  ☆ 星期五作息时间表尚未创建！");

    // Back to today's table for automatic operation.
    form().weekSelector.setItemIndex(2);
    form().grid.editCell(3, 1, "a4.wav");
    form().saveButton.click();
    ASSERT_EQ(form().hintLine.text(), report);
    form().automaticOperation.click();
    EXPECT_EQ(form().hintLine.text(), "");
}

TEST_F(Preflight, ARowWithNoTimeIsDrawnApartAndNumbersOfOneMomentDoNotRunTogether) {
    DayCheckResult r;
    r.tableFileName = "zxsj3.log";
    // Row 2's start is 7:30 (no clock text): the check gave up on it at the end of the day.
    r.problems = {{2, "bad-time", 0, "a.wav", 86399}, {3, "late", 0, "b.wav", 28800}};
    r.bars = {{1, 8 * kHour, 8 * kHour + 600, false},
              {2, 86399, 86399, true, true},
              {3, 8 * kHour, 8 * kHour, true},
              {4, 8 * kHour + 30, 8 * kHour + 30, true}};
    checker.results[2026y / 12 / 10] = r;
    startChecking(kThreeRows);
    form().manualOperation.click();
    m_host.onShown("PreflightCheck", [](model::Window&) {});
    form().preflightItem.click();
    PreflightCheck& d = dialog();

    EXPECT_EQ(d.problemList.items()[0],
              "第2行  --:--:--  时间无法到达 (应为 时:分:秒，如 08:00:00)");
    EXPECT_TRUE(d.hasRowsApart());
    // 40 pixels an hour, row numbers 10 pixels wide: no bar at 08:00 is wide enough for its
    // number, so each of the three writes it beside its bar, in a lane of its own.
    const std::vector<TimelineSpan> spans = d.timeline(960, [](int) { return 10; });
    ASSERT_EQ(spans.size(), 4u);
    EXPECT_EQ(spans[0], (TimelineSpan{1, 320, 326, 0, false, 960}));
    EXPECT_EQ(spans[1], (TimelineSpan{2, -38, -35, 0, true, 0, true}));
    EXPECT_EQ(spans[2], (TimelineSpan{3, 320, 323, 1, true, 960}));
    EXPECT_EQ(spans[3], (TimelineSpan{4, 320, 323, 2, true, 960}));
    EXPECT_EQ(d.laneCount(960, [](int) { return 10; }), 3);
    EXPECT_EQ(d.laneCount(), 2) << "by their times alone, rows 3 and 4 share a lane";
}

TEST_F(Preflight, WithoutACheckerTheCommandIsNeverOffered) {
    start(kThreeRows, "08:00:00");
    form().manualOperation.click();
    EXPECT_FALSE(form().preflightItem.enabled());
    EXPECT_EQ(m_system->preflightCheck(), nullptr);
    form().grid.editCell(3, 1, "a2.wav");
    form().saveButton.click();
    EXPECT_EQ(form().hintLine.text(), "  ☆ 修改完成后请选择自动播出！");
}

}  // namespace
}  // namespace orvessa::editing
