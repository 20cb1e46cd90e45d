#include "core/text/time_text.h"

#include <gtest/gtest.h>

#include "core/text/date_text.h"

namespace orvessa::text {
namespace {

TEST(TimeText, PadsOnlyTextsOfSevenCharacters) {
    EXPECT_EQ(padTime("5:00:13"), "05:00:13");
    EXPECT_EQ(padTime("05:00:13"), "05:00:13");
    EXPECT_EQ(padTime(""), "");
    EXPECT_EQ(padTime("5:0:13"), "5:0:13");
    EXPECT_EQ(padTime("abcdefg"), "0abcdefg");
}

TEST(TimeText, TrimsBlanksAndControlsBeforePadding) {
    EXPECT_EQ(trimText("  7:30:00\t"), "7:30:00");
    EXPECT_EQ(trimText(" \r\n"), "");
    EXPECT_EQ(normaliseTime(" 7:30:00 "), "07:30:00");
    // The middle of a text is not touched.
    EXPECT_EQ(trimText(" 7: 30 "), "7: 30");
}

TEST(TimeText, OrdersBytewiseWithTheEmptyTextFirst) {
    EXPECT_LT(compareTimeTexts("", "00:00:00"), 0);
    EXPECT_EQ(compareTimeTexts("", ""), 0);
    EXPECT_LT(compareTimeTexts("07:59:59", "08:00:00"), 0);
    EXPECT_GT(compareTimeTexts("23:00:00", "08:00:00"), 0);
    EXPECT_LT(compareTimeTexts("08:00", "08:00:00"), 0);  // a beginning sorts first
    // Unpadded texts compare as bytes, which is why every caller pads first.
    EXPECT_GT(compareTimeTexts("9:00:00", "10:00:00"), 0);
    EXPECT_LT(compareTimeTexts(normaliseTime("9:00:00"), "10:00:00"), 0);
    EXPECT_TRUE(timeAtOrBefore(normaliseTime("5:00:13"), normaliseTime("5:00:13")));
    EXPECT_FALSE(timeBefore("05:00:13", "05:00:13"));
    // Bytes above 0x7F sort after ASCII, as unsigned bytes do.
    EXPECT_GT(compareTimeTexts("\xE4", "9"), 0);
}

// What the clock can equal, and what a cell typed in other forms becomes: the editor refuses
// every cell that is neither empty nor tidied into a clock time.
TEST(TimeText, TidiesTheFormsTheClockCanReadAndLeavesTheRestForRefusal) {
    const std::pair<std::string, std::string> tidied[] = {
        {"7:30:00", "7:30:00"},
        {" 07:30:00 ", "07:30:00"},  // already reachable
        {"7:30", "7:30:00"},
        {"07: 30", "7:30:00"},
        {"9：00：00", "9:00:00"},
        {"７:３０", "7:30:00"},
        {"　", ""},
        {" 23 : 59 : 59", "23:59:59"},
    };
    for (const auto& [typed, clock] : tidied) {
        EXPECT_EQ(tidyTimeCell(typed), clock) << typed;
        EXPECT_TRUE(clock.empty() || isClockTime(clock)) << clock;
    }
    for (const char* never : {"7:3:0", "0730", "24:00:00", "12:60", "7:30:00:00", "abc", "7:30:0a",
                              ":30", "7:", "-1:30"}) {
        EXPECT_EQ(tidyTimeCell(never), std::nullopt) << never;
        EXPECT_FALSE(isClockTime(never)) << never;
    }
    EXPECT_FALSE(isClockTime("7:30"));
    EXPECT_FALSE(isClockTime(""));
}

TEST(TimeText, FormatsTheClockWithoutALeadingZeroOnTheHour) {
    EXPECT_EQ(formatClockTime(7, 5, 3), "7:05:03");
    EXPECT_EQ(formatClockTime(0, 0, 0), "0:00:00");
    EXPECT_EQ(formatClockTime(23, 59, 59), "23:59:59");
    EXPECT_EQ(normaliseTime(formatClockTime(5, 0, 13)), normaliseTime("5:00:13"));
}

TEST(DateText, NumbersWeekdaysFromMonday) {
    EXPECT_EQ(weekdayOf(2026, 12, 7), 1);  // a Monday
    EXPECT_EQ(weekdayOf(2026, 12, 9), 3);
    EXPECT_EQ(weekdayOf(2026, 12, 13), 7);
    EXPECT_EQ(weekdayOf(2024, 2, 29), 4);
    EXPECT_EQ(weekdayCharacter(3), "三");
    EXPECT_EQ(weekdayCharacter(7), "日");
    EXPECT_EQ(weekdayCharacter(0), "");
    EXPECT_EQ(weekdayCharacter(8), "");
    EXPECT_EQ(formatDate(2026, 1, 5), "2026-01-05");
}

}  // namespace
}  // namespace orvessa::text
