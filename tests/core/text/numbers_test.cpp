#include "core/text/numbers.h"

#include <gtest/gtest.h>

namespace orvessa::text {
namespace {

TEST(Numbers, ParsesDecimalsWithLeadingBlanksAndSign) {
    EXPECT_EQ(parseDecimal("200"), 200);
    EXPECT_EQ(parseDecimal("  42"), 42);
    EXPECT_EQ(parseDecimal("-7"), -7);
    EXPECT_EQ(parseDecimal("+7"), 7);
    EXPECT_EQ(parseDecimal("007"), 7);
    EXPECT_EQ(parseDecimal("2147483647"), 2147483647);
    EXPECT_EQ(parseDecimal("-2147483648"), -2147483647 - 1);
}

TEST(Numbers, RefusesEverythingElse) {
    for (const char* bad : {"", " ", "-", "12a", "1 2", "12 ", "0x10", "$10", "2147483648",
                            "-2147483649", "99999999999999999999", "１２"}) {
        EXPECT_FALSE(parseDecimal(bad).has_value()) << bad;
        EXPECT_EQ(toIntOr(bad, 3), 3) << bad;
    }
}

}  // namespace
}  // namespace orvessa::text
