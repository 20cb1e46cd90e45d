#include <gtest/gtest.h>

#include "core/store/schedule_table.h"

namespace orvessa::store {
namespace {

ScheduleTable tableWith(const std::vector<std::string>& cells) {
    ScheduleTable t;
    t.setRowCount(2);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
        t.setCell(c, 1, cells[static_cast<std::size_t>(c)]);
    }
    return t;
}

TEST(ScheduleRow, ReadsTimesAsTheClockComparesThemAndTheRestAsWritten) {
    const ScheduleRow row = ScheduleRow::read(
        tableWith({"1", " 8:00:00 ", " 上课 ", " bell.wav ", "8:45:00", "90"}), 1);
    EXPECT_EQ(row.start, "08:00:00");
    EXPECT_EQ(row.stop, "08:45:00");
    EXPECT_EQ(row.label, " 上课 ");
    EXPECT_EQ(row.file, " bell.wav ");
    EXPECT_EQ(row.volume, "90");
    EXPECT_TRUE(row.hasItem());
    EXPECT_FALSE(row.badTime());
}

TEST(ScheduleRow, RowsOutsideTheTableAndBlankFilesNameNothing) {
    const ScheduleTable t = tableWith({"1", "", "", "   ", "", ""});
    EXPECT_FALSE(ScheduleRow::read(t, 1).hasItem());
    const ScheduleRow outside = ScheduleRow::read(t, 7);
    EXPECT_FALSE(outside.hasItem());
    EXPECT_TRUE(outside.start.empty());
    EXPECT_FALSE(outside.badTime());
}

TEST(ScheduleRow, ATimeNoClockReadingEqualsIsBad) {
    for (const char* bad : {"7:3:0", "abc", "24:00:00", "0730"}) {
        EXPECT_TRUE(ScheduleRow::read(tableWith({"1", bad, "", "a.wav", "", ""}), 1).badTime())
            << bad;
        EXPECT_TRUE(ScheduleRow::read(tableWith({"1", "", "", "a.wav", bad, ""}), 1).badTime())
            << bad;
    }
    EXPECT_FALSE(ScheduleRow::read(tableWith({"1", "", "", "a.wav", "", ""}), 1).badTime())
        << "an untimed row";
}

}  // namespace
}  // namespace orvessa::store
