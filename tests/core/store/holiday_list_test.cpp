#include "core/store/holiday_list.h"

#include <gtest/gtest.h>

#include "core/text/gbk.h"

namespace orvessa::store {
namespace {

// The saved holiday list of the editor: numbered rows of four cells, GBK.
std::string listOf(const std::vector<std::string>& rows) {
    std::string out;
    int n = 1;
    for (const std::string& r : rows) {
        out += std::to_string(n++) + "," + r + "\r\n";
    }
    return text::utf8ToGbk(out);
}

bool stop(const std::string& list, int month, int day, int year = 2026) {
    return isListedHoliday(list, year, month, day);
}

TEST(HolidayList, RangesIncludeBothEndsAndSingleDaysOnlyThemselves) {
    const std::string list = listOf({"10-1,10-7,国庆,", "5-1,,劳动节,"});
    EXPECT_FALSE(stop(list, 9, 30));
    EXPECT_TRUE(stop(list, 10, 1));
    EXPECT_TRUE(stop(list, 10, 7));
    EXPECT_FALSE(stop(list, 10, 8));
    EXPECT_TRUE(stop(list, 5, 1));
    EXPECT_FALSE(stop(list, 5, 2));
    EXPECT_FALSE(stop("", 10, 1));
}

TEST(HolidayList, ARangeOverTheNewYearRunsOnFromJanuaryFirst) {
    const std::string list = listOf({"12-25,1-5,寒假,"});
    EXPECT_FALSE(stop(list, 12, 24));
    EXPECT_TRUE(stop(list, 12, 25));
    EXPECT_TRUE(stop(list, 12, 31));
    EXPECT_TRUE(stop(list, 1, 1));
    EXPECT_TRUE(stop(list, 1, 5));
    EXPECT_FALSE(stop(list, 1, 6));
}

TEST(HolidayList, EmptyRowsEndTheListAndEveryRowBeforeThemCounts) {
    std::vector<std::string> rows(24, "3-3,,x,");
    rows.push_back("7-1,,summer,");  // the 25th row
    EXPECT_TRUE(stop(listOf(rows), 7, 1)) << "no limit of twenty rows";
    EXPECT_FALSE(stop(listOf({"3-3,,x,", ",,,", "7-1,,summer,"}), 7, 1));
    EXPECT_FALSE(stop(listOf({"   ,,,", "7-1,,summer,"}), 7, 1));
}

TEST(HolidayList, RowsOfDaysThatDoNotExistAreLeftOut) {
    const std::string list =
        listOf({"2-30,,x,", "13-1,,x,", "2-29,,x,", "6-1,6-,x,", "6-1,6-0,x,", "9-9,,ok,"});
    EXPECT_FALSE(stop(list, 3, 2));
    EXPECT_FALSE(stop(list, 6, 1)) << "an end month without its day";
    EXPECT_FALSE(stop(list, 3, 1, 2026)) << "2-29 outside a leap year";
    EXPECT_TRUE(stop(list, 2, 29, 2028));
    EXPECT_TRUE(stop(list, 9, 9)) << "the rows after them still count";
    // A day beyond any month's end is no date either, however large: not a range over most of
    // the year from the 257th of January.
    EXPECT_FALSE(stop(listOf({"1-257,1-5,x,"}), 6, 1));
    EXPECT_FALSE(stop(listOf({"1-2147483647,,x,"}), 1, 31));
}

TEST(HolidayList, MissingNumbersTakeTheirDefaults) {
    // A missing start month or day counts as 1; a row without its number field is kept whole.
    EXPECT_TRUE(stop(listOf({"x-,,start of year,"}), 1, 1));
    // A line without a comma is read whole: its day has no comma after it and counts as 1.
    EXPECT_TRUE(stop("2-2\r\n", 2, 1));
    EXPECT_FALSE(stop("2-2\r\n", 2, 2));
    EXPECT_TRUE(stop(listOf({" 4- 5,,blanks,"}), 4, 5));
}

}  // namespace
}  // namespace orvessa::store
