#include "dryrun/day_checker_service.h"

#include <gtest/gtest.h>

#include "core/editing/preflight_check.h"
#include "core/store/table_file.h"
#include "fakes/scripted_host.h"
#include "fakes/settable_clock.h"
#include "program_directory.h"

namespace orvessa::dryrun {
namespace {

using namespace std::chrono;

class DayCheckerServiceTest : public ProgramDirectory {};

// The collision an operator makes most: a ten-minute file at 08:00 and a timed row at 08:05.
TEST_F(DayCheckerServiceTest, TheCollisionReachesTheDialogAsTheOperatorReadsIt) {
    file("AUDIO/talk.wav");
    file("AUDIO/bell.wav");
    write(1, {{"08:00:00", "talk.wav", ""}, {"08:05:00", "bell.wav", ""}});
    DayCheckerService service(m_dir.path(), {{"talk.wav", 600000}, {"bell.wav", 10000}});

    fakes::ScriptedHost host;
    fakes::SettableClock clock({2026, 12, 13, 9, 0, 0});  // a Sunday; tomorrow is Monday
    model::Grid grid("Grid");
    const std::string table = "zxsj1.log";
    model::TextControl hintLine("hintLine");
    editing::PreflightCheck check({host, clock, service, grid, table, hintLine, [](int) {}});
    store::loadTableFile(grid.table(), m_dir.path(), table);
    check.open();

    ASSERT_EQ(host.shownModally, std::vector<std::string>{"PreflightCheck"});
    EXPECT_EQ(check.problemList.items(),
              std::vector<std::string>{"第2行  08:05:00  上一行仍在播放 (第1行)"});
    ASSERT_EQ(check.bars().size(), 2u);
    EXPECT_FALSE(check.bars()[0].leftBehind);
    EXPECT_EQ(check.bars()[0].endSecond - check.bars()[0].startSecond, 602);
    EXPECT_TRUE(check.bars()[1].leftBehind);
    EXPECT_EQ(check.laneCount(), 2);

    const editing::DayCheckResult direct = service.check(2026y / 12 / 14, &grid.table());
    ASSERT_EQ(direct.problems.size(), 1u);
    EXPECT_EQ(direct.problems[0].second, 8 * 3600 + 10 * 60 + 2) << "when the clock gave up";
    EXPECT_EQ(service.nextDayOf("zxsj1.log", 2026y / 12 / 15), 2026y / 12 / 21);
}

// The grid plays; the file, read back, does not: a name GBK cannot hold, a row cut by the
// line limit.
TEST_F(DayCheckerServiceTest, TheCheckAfterASaveReadsTheTableAsItWasWritten) {
    file("AUDIO/铃😀.wav");
    file("AUDIO/bell.wav");
    write(1, {});
    fakes::ScriptedHost host;
    fakes::SettableClock clock({2026, 12, 13, 9, 0, 0});  // a Sunday; tomorrow is Monday
    model::Grid grid("Grid");
    grid.table().setRowCount(3);
    grid.table().setCell(1, 1, "08:00:00");
    grid.table().setCell(3, 1, "铃😀.wav");
    grid.table().setCell(1, 2, "09:00:00");
    grid.table().setCell(2, 2, std::string(17000, 'x'));
    grid.table().setCell(3, 2, "bell.wav");
    const std::string table = "zxsj1.log";
    model::TextControl hintLine("hintLine");
    DayCheckerService service(m_dir.path(), {{"铃😀.wav", 5000}, {"bell.wav", 5000}});
    editing::PreflightCheck check({host, clock, service, grid, table, hintLine, [](int) {}});
    ASSERT_TRUE(store::writeTableFile(grid.table(), m_dir.path(), table));

    check.tableSaved();

    EXPECT_EQ(hintLine.text(),
              "  ☆ 已存盘。预演 2026-12-14 星期一：发现 2 个问题，请用“预演检查”查看！");
    const editing::DayCheckResult r = service.check(2026y / 12 / 14, nullptr);
    ASSERT_EQ(r.problems.size(), 2u);
    EXPECT_EQ(r.problems[0].reason, "missing");
    EXPECT_EQ(r.problems[0].path, audio() + "铃?.wav");
    EXPECT_EQ(r.problems[1].reason, "empty") << "the file cell is past the 16 KiB a load keeps";
}

TEST_F(DayCheckerServiceTest, ADirectoryThatCannotBeRehearsedIsReportedNotThrown) {
    DayCheckerService service(m_dir.path() / "nowhere");
    const editing::DayCheckResult r = service.check(2026y / 12 / 14, nullptr);
    EXPECT_FALSE(r.error.empty());
    EXPECT_TRUE(r.problems.empty());
    EXPECT_EQ(service.nextDayOf("zxsj1.log", 2026y / 12 / 14), std::nullopt);
}

}  // namespace
}  // namespace orvessa::dryrun
