#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"
#include "foundations/NumberFormat.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace dovra;

namespace {
const std::string Name = Utf8ToCp949("김하늘"); // three syllables, six bytes
}

// Whole fields are padded in the layout tests; here what only cutting through a character shows.
TEST(AnsiText, PadsCutsAndCountsByBytesAndRefusesInvalidArguments) {
    EXPECT_EQ(PadField("123456", true, 4), "3456");
    EXPECT_EQ(PadField("12ab", true, 6), "0012ab"); // digits are not checked
    // Five bytes of a six-byte name: the orphaned lead byte becomes a space, the width holds.
    EXPECT_EQ(PadField(Name, false, 5), Name.substr(0, 4) + " ");
    // Numeric cut from the left through the first syllable: its trail byte becomes a space.
    EXPECT_EQ(PadField(Name, true, 5), " " + Name.substr(2));
    EXPECT_EQ(CharCount("\x81\x31"), 2); // a stray lead byte does not swallow the digit "1" after it
    EXPECT_THROW(AnsiLeft("abc", -1), std::invalid_argument);
    EXPECT_THROW(AnsiRight("abc", -1), std::invalid_argument);
    EXPECT_THROW(AnsiMid("abc", 0, 1), std::invalid_argument);
    EXPECT_THROW(AnsiMid("abc", 1, -1), std::invalid_argument);
    EXPECT_THROW(PadField("1", true, -1), std::invalid_argument);
    EXPECT_THROW(PadField("1", true, 32767), std::invalid_argument);
    EXPECT_EQ(PadField("", false, 32766).size(), 32766u);
}

TEST(AnsiText, EveryCutAgreesWithAScanFromTheStart) {
    // Letters can be trail bytes and Hangul runs have no resting point, so every cut of a mixed text is
    // checked against the plain rule: characters are found from the first byte on, and only a split
    // half of 0x80 or more becomes a space (a field that ends on half a character keeps the letter that
    // starts the next one).
    std::string text;
    const std::string pieces[] = {Utf8ToCp949("가"), Utf8ToCp949("똠"), "A", "z", "7", " ", "\x81", "\xFF"};
    unsigned seed = 12345;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1103515245 + 12345;
        text += pieces[(seed >> 16) % 8];
    }
    std::vector<bool> secondHalf(text.size() + 1, false);
    for (size_t i = 0; i < text.size(); i += Cp949CharLength(text, i)) {
        secondHalf[i + 1] = Cp949CharLength(text, i) == 2;
    }
    auto expected = [&](size_t from, size_t to) {
        std::string piece = text.substr(from, to - from);
        if (from < to) {
            piece.front() = secondHalf[from] && (text[from] & 0x80) ? ' ' : piece.front();
            piece.back() = secondHalf[to] ? ' ' : piece.back();
        }
        return piece;
    };
    // Counts beyond the end included: a cut there is what is left, never an exception.
    for (size_t from = 0; from <= text.size() + 1; ++from) {
        size_t left = std::min(from, text.size());
        for (size_t length : {1, 2, 5, 40}) {
            ASSERT_EQ(AnsiMid(text, static_cast<int>(from + 1), static_cast<int>(length)),
                      expected(left, std::min(text.size(), from + length)))
                << "from " << from << " length " << length;
        }
        ASSERT_EQ(AnsiLeft(text, static_cast<int>(from)), expected(0, left)) << from;
        ASSERT_EQ(AnsiRight(text, static_cast<int>(from)), expected(text.size() - left, text.size())) << from;
    }
}

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
