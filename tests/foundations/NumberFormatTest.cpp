#include "foundations/NumberFormat.h"

#include <gtest/gtest.h>

using namespace dovra;

// Thousands of numbers and nothing else (an amount already shown once stays as it is); the clock time
// drops the leading zero of the hour.
TEST(NumberFormat, ThousandsAndClockTime) {
    const std::tuple<std::string (*)(std::string_view), const char*, const char*> cases[] = {
        {FormatThousands, "000040000", "40,000"},    {FormatThousands, " 1234567 ", "1,234,567"},
        {FormatThousands, "40,000", "40,000"},       {FormatThousands, "000000000", "0"},
        {FormatThousands, "         ", "         "}, {FormatThousands, "12a45", "12a45"},
        {FormatThousands, "-5000", "-5000"},         {FormatClockTime, "143015", "14:30:15"},
        {FormatClockTime, "093015", "9:30:15"},      {FormatClockTime, "000015", "::15"},
        {FormatClockTime, "      ", "      "},       {FormatClockTime, "12:30", "12:30"}};
    for (const auto& [format, input, expected] : cases) {
        EXPECT_EQ(format(input), expected) << '"' << input << '"';
    }
}
