#include "core/console_server/table_change.h"

#include <gtest/gtest.h>

#include <string>

#include "core/store/file_io.h"
#include "core/store/table_file.h"
#include "core/text/gbk.h"
#include "support/temp_dir.h"

namespace orvessa::console {
namespace {

using orvessa::testing::TempDir;

std::string fileBytes(const TempDir& dir, const std::string& name) {
    return store::readWholeFile(dir.path() / name).bytes;
}

TEST(TableChange, ACommitIsWrittenInGbkOverTheVersionReadAndReadsBackAsCommitted) {
    TempDir dir;
    TableCommit commit;
    commit.table = 8;
    commit.version = "0";  // none yet: a template made from the console
    commit.rows = {{"7:30", "早读", "铃声/早读.wav", "", "180"}, {"", "", "", "", ""}};
    const ActionResult made = storeTable(dir.path(), commit, nullptr);
    ASSERT_EQ(made.status, 200) << made.error;
    EXPECT_EQ(made.table, "zxsj8.log");
    const std::string bytes = fileBytes(dir, "zxsj8.log");
    EXPECT_EQ(bytes, text::utf8ToGbk("1,7:30:00,早读,铃声/早读.wav,,180,\r\n2,,,,,,\r\n"))
        << "numbered, the time in the clock's form, GBK with CR LF as the editor writes";
    EXPECT_EQ(made.version, tableVersionOf(bytes));

    const TableRead read = readWeeklyTable(dir.path(), 8);
    EXPECT_EQ(read.version, made.version);
    ASSERT_EQ(read.rows.size(), 2u);
    EXPECT_EQ(read.rows[0].start, "7:30:00");
    EXPECT_EQ(read.rows[0].label, "早读");

    // The version read before is stale now, and nothing is written over the file.
    commit.rows[0].label = "午读";
    const ActionResult stale = storeTable(dir.path(), commit, nullptr);
    EXPECT_EQ(stale.status, 409);
    EXPECT_EQ(stale.reason, "changed");
    EXPECT_EQ(fileBytes(dir, "zxsj8.log"), bytes);
}

TEST(TableChange, AFileHoldingMoreThanALoadReadsIsOnlyCutWhenTheClientAgrees) {
    TempDir dir;
    std::string content;
    for (int r = 1; r <= 999; ++r) {
        content += std::to_string(r) + ",08:00:00,x,a.wav,,,\r\n";
    }
    orvessa::testing::writeBytes(dir.path() / "zxsj2.log", content);
    const TableRead read = readWeeklyTable(dir.path(), 2);
    EXPECT_TRUE(read.unread);
    EXPECT_EQ(read.rows.size(), 998u);

    TableCommit commit;
    commit.table = 2;
    commit.version = read.version;
    commit.rows = read.rows;
    const ActionResult refusedCut = storeTable(dir.path(), commit, nullptr);
    EXPECT_EQ(refusedCut.status, 409);
    EXPECT_EQ(refusedCut.reason, "unread");
    EXPECT_EQ(fileBytes(dir, "zxsj2.log"), content);
    commit.dropUnread = true;
    EXPECT_EQ(storeTable(dir.path(), commit, nullptr).status, 200);
    EXPECT_FALSE(readWeeklyTable(dir.path(), 2).unread);
}

TEST(TableChange, AnOverlongLineIsReadCutAsALoadCutsIt) {
    TempDir dir;
    const std::string longLabel(store::kMaxTableLineBytes + 10, 'x');
    orvessa::testing::writeBytes(dir.path() / "zxsj1.log",
                                 "1,08:00:00," + longLabel + ",a.wav,,,\r\n");
    const TableRead read = readWeeklyTable(dir.path(), 1);
    EXPECT_TRUE(read.unread);
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0].file, "") << "what the load leaves of the line";
}

}  // namespace
}  // namespace orvessa::console
