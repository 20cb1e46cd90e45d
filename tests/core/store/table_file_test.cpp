#include "core/store/table_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/text/gbk.h"
#include "support/temp_dir.h"

namespace orvessa::store {
namespace {

using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

// 1,7:30:00,早操,D:\广播\早操.mp3,7:45:00,200, in GBK.
const std::string kMorningLine =
    "1,7:30:00,\xD4\xE7\xB2\xD9,D:\\\xB9\xE3\xB2\xA5\\\xD4\xE7\xB2\xD9.mp3,7:45:00,200,\r\n";

class TableFileTest : public ::testing::Test {
protected:
    ScheduleTable loadText(std::string_view bytes, std::string_view name = "zxsj1.log") {
        writeBytes(m_dir / std::string(name), bytes);
        ScheduleTable table;
        setScheduleHeaders(table);
        m_result = loadTableFile(table, m_dir.path(), name);
        return table;
    }

    TempDir m_dir;
    TableLoadResult m_result;
};

TEST_F(TableFileTest, LoadsGbkRowsIntoCells) {
    const ScheduleTable t = loadText(kMorningLine + text::utf8ToGbk("2,,下课,bell.wav,,,\r\n"));
    EXPECT_EQ(m_result.outcome, TableLoadResult::Outcome::Loaded);
    EXPECT_TRUE(m_result.completed());
    ASSERT_EQ(t.rowCount(), 3);
    EXPECT_EQ(t.columnCount(), 6);
    EXPECT_EQ(t.cell(0, 1), "1");
    EXPECT_EQ(t.cell(1, 1), "7:30:00");
    EXPECT_EQ(t.cell(2, 1), "早操");
    EXPECT_EQ(t.cell(3, 1), "D:\\广播\\早操.mp3");
    EXPECT_EQ(t.cell(4, 1), "7:45:00");
    EXPECT_EQ(t.cell(5, 1), "200");
    EXPECT_EQ(t.cell(1, 2), "");
    EXPECT_EQ(t.cell(2, 2), "下课");
    EXPECT_EQ(t.cell(3, 2), "bell.wav");
    // The header row is the caller's and stays.
    EXPECT_EQ(t.cell(0, 0), "序号");
    // Reading beyond the table gives empty text.
    EXPECT_EQ(t.cell(1, 3), "");
    EXPECT_EQ(t.cell(9, 1), "");
    const int widths[] = {30, 60, 60, 240, 60, 30};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(t.columnWidth(c), widths[c]) << c;
    }
    EXPECT_EQ(t.rowHeight(), 18);
}

TEST_F(TableFileTest, StopsAtTheCapOfNineHundredNinetyEightRows) {
    std::string bytes;
    for (int i = 1; i <= 1000; ++i) {
        bytes += std::to_string(i) + ",8:00:00,x,y,,,\r\n";
    }
    const ScheduleTable t = loadText(bytes);
    EXPECT_EQ(t.rowCount(), 999);
    EXPECT_EQ(t.cell(0, 998), "998");
    EXPECT_EQ(t.cell(0, 999), "");
}

TEST_F(TableFileTest, TerminatorsEndTheTable) {
    EXPECT_EQ(loadText("1,a,,,,,\r\n2,b,,,,,\r\n\r\n4,d,,,,,\r\n").rowCount(), 3);
    EXPECT_EQ(loadText("").rowCount(), 1);
    EXPECT_EQ(loadText("1,a,,,,,\r\n,,,,,,\r\n3,c,,,,,\r\n").rowCount(), 2);
    // The four-column terminator ends a six-column table too.
    EXPECT_EQ(loadText("1,a,,,,,\r\n,,,,\r\n3,c,,,,,\r\n").rowCount(), 2);
    // A row that keeps its number is no terminator.
    const ScheduleTable t = loadText("1,a,,,,,\r\n3,,,,,,\r\n5,e,,,,,\r\n");
    EXPECT_EQ(t.rowCount(), 4);
    EXPECT_EQ(t.cell(0, 2), "3");
    EXPECT_EQ(t.cell(1, 2), "");
    // Line ends without CR read the same.
    EXPECT_EQ(loadText("1,a,,,,,\n2,b,,,,,\n").rowCount(), 3);
}

TEST_F(TableFileTest, SplitsAtTheFirstCommaOfWhatRemains) {
    // A comma in the label pushes every later cell one to the right.
    ScheduleTable t = loadText(text::utf8ToGbk("1,7:30:00,早操,一,D:\\a.mp3,7:45:00,200,\r\n"));
    EXPECT_EQ(t.cell(2, 1), "早操");
    EXPECT_EQ(t.cell(3, 1), "一");
    EXPECT_EQ(t.cell(4, 1), "D:\\a.mp3");
    EXPECT_EQ(t.cell(5, 1), "7:45:00");  // "200" lies after the last field and is dropped

    // A line without commas is a row of empty cells; too few fields leave the rest empty; the
    // text after the last comma is not a cell.
    t = loadText("hello\r\n2,8:00:00,tail\r\n");
    ASSERT_EQ(t.rowCount(), 3);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(t.cell(c, 1), "") << c;
    }
    EXPECT_EQ(t.cell(0, 2), "2");
    EXPECT_EQ(t.cell(1, 2), "8:00:00");
    EXPECT_EQ(t.cell(2, 2), "");
}

TEST_F(TableFileTest, LoadReplacesThePreviousTable) {
    ScheduleTable t;
    for (int r = 1; r < 20; ++r) {
        t.setRowCount(r + 1);
        t.setCell(2, r, "old");
    }
    writeBytes(m_dir / "zxsj2.log", "1,9:00:00,new,,,,\r\n");
    loadTableFile(t, m_dir.path(), "zxsj2.log");
    ASSERT_EQ(t.rowCount(), 2);
    EXPECT_EQ(t.cell(2, 1), "new");
    t.setRowCount(10);
    EXPECT_EQ(t.cell(2, 5), "") << "rows cut off by a load must not come back";
}

TEST_F(TableFileTest, HolidayListHasFourColumns) {
    const ScheduleTable t =
        loadText("1,10-1,10-7,\xB9\xFA\xC7\xEC,\r\n2,1-1,,new year,\r\n", kHolidayFileName);
    EXPECT_EQ(t.columnCount(), 4);
    EXPECT_EQ(t.rowCount(), 3);
    EXPECT_EQ(t.cell(3, 1), "国庆");
    EXPECT_EQ(t.cell(2, 2), "");
    EXPECT_EQ(t.cell(4, 1), "");
    EXPECT_EQ(t.columnWidth(3), 240);
}

TEST_F(TableFileTest, MissingFileGivesNineteenEmptyRowsAndTheRedLine) {
    ScheduleTable t;
    setScheduleHeaders(t);
    t.setRowCount(40);
    t.setCell(2, 5, "stale");
    const TableLoadResult r = loadTableFile(t, m_dir.path(), "zxsj3.log");
    EXPECT_EQ(r.outcome, TableLoadResult::Outcome::Missing);
    EXPECT_TRUE(r.completed());
    EXPECT_EQ(r.missingMessage, "  ☆ 星期三作息时间表尚未创建！");
    EXPECT_EQ(t.rowCount(), 20);
    EXPECT_EQ(t.columnCount(), 6);
    EXPECT_EQ(t.cell(2, 5), "");
    EXPECT_EQ(t.cell(1, 0), "开播时间");
    EXPECT_FALSE(fileExists(m_dir / "zxsj3.log")) << "nothing is written until a save";

    EXPECT_EQ(missingTableMessage("zxsj7.log"), "  ☆ 星期日作息时间表尚未创建！");
    EXPECT_EQ(missingTableMessage("zxsj8.log"), "  ☆ 模板一作息时间表尚未创建！");
    EXPECT_EQ(missingTableMessage("zxsj12.log"), "  ☆ 模板五作息时间表尚未创建！");
    EXPECT_EQ(missingTableMessage("other.log"), "  ☆ 作息时间表尚未创建！");

    const TableLoadResult h = loadTableFile(t, m_dir.path(), kHolidayFileName);
    EXPECT_EQ(h.missingMessage, "");
    EXPECT_EQ(t.columnCount(), 4);
    EXPECT_EQ(t.rowCount(), 20);
}

TEST_F(TableFileTest, WriteRenumbersAndWritesEveryRow) {
    ScheduleTable t;
    t.setRowCount(5);
    t.setCell(0, 1, "5");
    t.setCell(1, 1, "5:00:13");
    t.setCell(2, 1, "早操");
    t.setCell(0, 2, "2");
    t.setCell(0, 3, "9");
    t.setCell(3, 3, "D:\\广播\\");
    // Row 4 is empty, number included.
    ASSERT_TRUE(writeTableFile(t, m_dir.path(), "zxsj1.log"));
    EXPECT_EQ(readBytes(m_dir / "zxsj1.log"),
              "1,5:00:13,\xD4\xE7\xB2\xD9,,,,\r\n"
              "2,,,,,,\r\n"
              "3,,,D:\\\xB9\xE3\xB2\xA5\\,,,\r\n"
              "4,,,,,,\r\n");
    EXPECT_EQ(t.cell(0, 1), "1");
    EXPECT_EQ(t.cell(0, 3), "3");
    EXPECT_EQ(t.cell(0, 4), "4");

    // The empty row reads back as a row, and the short time stays unpadded.
    ScheduleTable back;
    loadTableFile(back, m_dir.path(), "zxsj1.log");
    EXPECT_EQ(back.rowCount(), 5);
    EXPECT_EQ(back.cell(1, 1), "5:00:13");
}

// A table saved by an old Mac editor or a script with lone CR line ends: every row loads, and the
// next save writes it back with CR LF, so no row is lost to one long first line.
TEST_F(TableFileTest, LoneCrLineEndsLoadEveryRowAndSaveAsCrLf) {
    ScheduleTable t =
        loadText(text::utf8ToGbk("1,8:00:00,上课铃,bell.wav,,,\r2,8:45:00,下课铃,bell.wav,,,\r"
                                 "3,9:00:00,上课铃,bell.wav,,,\r"));
    ASSERT_EQ(t.rowCount(), 4);
    EXPECT_EQ(t.cell(1, 3), "9:00:00");
    EXPECT_EQ(t.cell(3, 2), "bell.wav");
    ASSERT_TRUE(writeTableFile(t, m_dir.path(), "zxsj1.log"));
    EXPECT_EQ(text::gbkToUtf8(readBytes(m_dir / "zxsj1.log")),
              "1,8:00:00,上课铃,bell.wav,,,\r\n2,8:45:00,下课铃,bell.wav,,,\r\n"
              "3,9:00:00,上课铃,bell.wav,,,\r\n");
}

TEST_F(TableFileTest, UneditedTableRoundTripsByteForByte) {
    // Chinese, a lone lead byte, an unmapped byte and the euro sign.
    const std::string bytes = kMorningLine + "2,12:00:00,\x81\x7F\xFF,\x80x.mp3,,,\r\n" +
                              "3,,\xD0\xC7\xC6\xDA,http://a/b.htm,,255,\r\n";
    ScheduleTable t = loadText(bytes);
    EXPECT_EQ(text::utf8ToGbk(t.cell(2, 2)), "\x81\x7F\xFF");
    ASSERT_TRUE(writeTableFile(t, m_dir.path(), "zxsj1.log"));
    EXPECT_EQ(readBytes(m_dir / "zxsj1.log"), bytes);
}

TEST_F(TableFileTest, FailedWriteKeepsTheOldFile) {
    writeBytes(m_dir / "zxsj1.log", kMorningLine);
    ScheduleTable t;
    t.setCell(2, 1, "changed");

    const WriteResult missingDir = writeTableFile(t, m_dir / "no-such-dir", "zxsj1.log");
    EXPECT_FALSE(missingDir.ok);
    EXPECT_NE(missingDir.error.find("zxsj1.log"), std::string::npos);

    std::filesystem::create_directory(m_dir / "zxsj2.log");
    EXPECT_FALSE(writeTableFile(t, m_dir.path(), "zxsj2.log"));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "zxsj2.log"));

    EXPECT_EQ(readBytes(m_dir / "zxsj1.log"), kMorningLine);
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
        EXPECT_NE(entry.path().extension(), ".tmp") << "temporary file left behind";
    }
}

TEST_F(TableFileTest, AHugeOrDamagedFileLoadsOnlyWhatTheGridTakes) {
    // Two rows, then a gigabyte of zeros without a line end (a sparse file: no disk is used).
    writeBytes(m_dir / "zxsj1.log", kMorningLine + "2,8:00:00,x,y,,,\r\n");
    const int fd = open((m_dir / "zxsj1.log").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t{1} << 30), 0);
    close(fd);
    ScheduleTable t;
    TableLoadResult r = loadTableFile(t, m_dir.path(), "zxsj1.log");
    EXPECT_EQ(r.outcome, TableLoadResult::Outcome::Loaded);
    EXPECT_TRUE(r.cutLines);
    EXPECT_TRUE(r.truncated) << "what lies beyond the read is not the end of the table";
    ASSERT_EQ(t.rowCount(), 4);
    EXPECT_EQ(t.cell(1, 2), "8:00:00");
    EXPECT_EQ(t.cell(0, 3), "") << "a line of zeros has no fields";

    // A pipe or a directory of the table's name is reported with its reason, and never waited on.
    ASSERT_EQ(mkfifo((m_dir / "zxsj2.log").c_str(), 0600), 0);
    std::filesystem::create_directory(m_dir / "zxsj3.log");
    for (const char* name : {"zxsj2.log", "zxsj3.log"}) {
        t.setRowCount(30);
        r = loadTableFile(t, m_dir.path(), name);
        EXPECT_EQ(r.outcome, TableLoadResult::Outcome::Failed) << name;
        EXPECT_EQ(r.missingMessage, "") << "it is there, not missing";
        EXPECT_NE(r.error.find(name), std::string::npos) << r.error;
        EXPECT_EQ(t.rowCount(), 1);
    }
}

TEST(ScheduleFileNames, AreZxsjAndTheDecimalNumber) {
    EXPECT_EQ(scheduleFileName(1), "zxsj1.log");
    EXPECT_EQ(scheduleFileName(12), "zxsj12.log");
}

}  // namespace
}  // namespace orvessa::store
