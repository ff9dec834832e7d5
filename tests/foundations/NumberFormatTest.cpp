#include "foundations/NumberFormat.h"

#include <gtest/gtest.h>

using namespace dovra;

TEST(NumberFormat, ThousandsOfNumbersAndNothingElse) {
    EXPECT_EQ(FormatThousands("000040000"), "40,000");
    EXPECT_EQ(FormatThousands("000150000"), "150,000");
    EXPECT_EQ(FormatThousands(" 1234567 "), "1,234,567");
    EXPECT_EQ(FormatThousands("40,000"), "40,000"); // an amount already shown once
    EXPECT_EQ(FormatThousands("000000000"), "0");
    EXPECT_EQ(FormatThousands("         "), "         ");
    EXPECT_EQ(FormatThousands("12a45"), "12a45");
    EXPECT_EQ(FormatThousands("-5000"), "-5000");
}

TEST(NumberFormat, ClockTimeDropsTheLeadingZeroOfTheHour) {
    EXPECT_EQ(FormatClockTime("143015"), "14:30:15");
    EXPECT_EQ(FormatClockTime("093015"), "9:30:15");
    EXPECT_EQ(FormatClockTime("000015"), "::15");
    EXPECT_EQ(FormatClockTime("      "), "      ");
    EXPECT_EQ(FormatClockTime("12:30"), "12:30");
}
