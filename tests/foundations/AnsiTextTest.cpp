#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace dovra;

namespace {
const std::string Name = Utf8ToCp949("김하늘"); // three syllables, six bytes
}

TEST(Cp949, UsesTheWindowsCodePageNotEucKr) {
    // Outside EUC-KR's 2,350 syllables: an IBM or EUC-KR table would lose it.
    EXPECT_EQ(Utf8ToCp949("똠"), "\x8C\x63");
    EXPECT_EQ(Cp949ToUtf8("\x8C\x63"), "똠");
    EXPECT_EQ(Cp949ToUtf8(Utf8ToCp949("서울특별시 마포구 120")), "서울특별시 마포구 120");
}

TEST(PadField, FillsAndCutsByBytes) {
    EXPECT_EQ(PadField("5", true, 4), "0005");
    EXPECT_EQ(PadField("", true, 2), "00");
    EXPECT_EQ(PadField("123456", true, 4), "3456");
    EXPECT_EQ(PadField("12ab", true, 6), "0012ab"); // digits are not checked
    EXPECT_EQ(PadField("abcdef", false, 4), "abcd");
    EXPECT_EQ(PadField("abc", false, 5), "abc  ");
    EXPECT_EQ(PadField(Name, false, 10), Name + "    ");
    EXPECT_EQ(PadField("x", false, 0), "");
}

TEST(PadField, NeverSplitsACharacter) {
    // Five bytes of a six-byte name: the orphaned lead byte becomes a space, the width holds.
    EXPECT_EQ(PadField(Name, false, 5), Name.substr(0, 4) + " ");
    // Numeric cut from the left through the first syllable: its trail byte becomes a space.
    EXPECT_EQ(PadField(Name, true, 5), " " + Name.substr(2));
}

TEST(AnsiText, CountsAndCutsBytes) {
    EXPECT_EQ(AnsiLen(Name), 6);
    EXPECT_EQ(AnsiLeft(Name, 4), Name.substr(0, 4));
    EXPECT_EQ(AnsiLeft("abc", 10), "abc");
    EXPECT_EQ(AnsiRight("", 6), "");
    EXPECT_EQ(AnsiRight(Name, 3), " " + Name.substr(4));
    EXPECT_EQ(AnsiMid("abcdef", 3, 2), "cd");
    EXPECT_EQ(AnsiMid("abcdef", 5, 10), "ef");
    EXPECT_EQ(AnsiMid("abcdef", 7, 1), "");
    EXPECT_EQ(AnsiMid(Name, 2, 4), " " + Name.substr(2, 2) + " ");
    // A field that ends on half a character keeps the letter that starts the next field.
    EXPECT_EQ(AnsiMid("\xB0T123", 2, 4), "T123");
    EXPECT_EQ(AnsiLeft("\xB0T123", 1), " ");
}

TEST(AnsiText, CountsCharactersForThePrefix) {
    EXPECT_EQ(CharCount(Name + "ab"), 5);
    // A stray lead byte does not swallow the digit after it.
    EXPECT_EQ(CharCount("\x81"
                        "1"),
              2);
    EXPECT_EQ(CharCount(""), 0);
}

TEST(AnsiText, RefusesInvalidArguments) {
    EXPECT_THROW(AnsiLeft("abc", -1), std::invalid_argument);
    EXPECT_THROW(AnsiRight("abc", -1), std::invalid_argument);
    EXPECT_THROW(AnsiMid("abc", 0, 1), std::invalid_argument);
    EXPECT_THROW(AnsiMid("abc", 1, -1), std::invalid_argument);
    EXPECT_THROW(PadField("1", true, -1), std::invalid_argument);
    EXPECT_THROW(PadField("1", true, 32767), std::invalid_argument);
    EXPECT_EQ(PadField("", false, 32766).size(), 32766u);
}

TEST(AnsiText, CutsAgreeWithAScanFromTheStart) {
    // Letters can be trail bytes and Hangul runs have no resting point, so every cut of a mixed text is
    // checked against the plain rule: characters are found from the first byte on, and only a split
    // half of 0x80 or more becomes a space.
    std::string text;
    const std::string pieces[] = {Utf8ToCp949("가"), Utf8ToCp949("똠"), "A", "z", "7", " ", "\x81", "\xFF"};
    unsigned seed = 12345;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1103515245 + 12345;
        text += pieces[(seed >> 16) % 8];
    }
    std::vector<bool> secondHalf(text.size(), false);
    for (size_t i = 0; i < text.size(); i += Cp949CharLength(text, i)) {
        if (Cp949CharLength(text, i) == 2) {
            secondHalf[i + 1] = true;
        }
    }
    for (int start = 1; start <= static_cast<int>(text.size()); start += 3) {
        for (int length : {1, 2, 5, 40}) {
            std::string cut = AnsiMid(text, start, length);
            size_t from = static_cast<size_t>(start - 1);
            size_t to = std::min(text.size(), from + static_cast<size_t>(length));
            std::string expected = text.substr(from, to - from);
            if (secondHalf[from] && static_cast<unsigned char>(text[from]) >= 0x80) {
                expected[0] = ' ';
            }
            if (to < text.size() && secondHalf[to]) {
                expected.back() = ' ';
            }
            ASSERT_EQ(cut, expected) << "start " << start << " length " << length;
        }
    }
}
