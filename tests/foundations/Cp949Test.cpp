#include "foundations/Cp949.h"
#include "foundations/Cp949Table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <vector>

using namespace dovra;
using namespace std::string_literals;

TEST(Cp949, NothingIsLostAroundBadBytes) {
    // An unassigned pair is one "?" for both bytes; what follows it survives, call after call.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Cp949ToUtf8("x\xA2\xE8y"), "x?y");
        EXPECT_EQ(Cp949ToUtf8("\xA2\xE8"), "?");
    }
    // A lead byte with nothing to pair with, at the end or before a NUL, is a "?" of its own.
    EXPECT_EQ(Cp949ToUtf8("ab\xB0"), "ab?");
    EXPECT_EQ(Cp949ToUtf8("\xB0\0a"s), "?\0a"s);
    EXPECT_EQ(Cp949ToUtf8("\xB0"), "?");
    EXPECT_EQ(Cp949ToUtf8(""), "");
}

TEST(Cp949, SpeaksWindowsCodePage949) {
    EXPECT_EQ(Utf8ToCp949("똠"), "\x8C\x63");
    EXPECT_EQ(Cp949ToUtf8("\x8C\x63"), "똠");
    EXPECT_EQ(Utf8ToCp949("₩1,000"), "\\1,000"); // a look-alike, one way only
    EXPECT_EQ(Cp949ToUtf8("\\"), "\\");
    EXPECT_EQ(Cp949ToUtf8("\xC9\xA1\xFE\xFE"), "\uE000\uE0BB"); // the user-defined rows
    EXPECT_EQ(Utf8ToCp949("\uE000"), "\xC9\xA1");
    EXPECT_EQ(Utf8ToCp949("😀"), "??"); // each surrogate on its own
    EXPECT_EQ(Utf16ToCp949(u"\xDC00\xD800"), "??");
}

TEST(Cp949, ReadsBrokenUtf8AsWindowsDoes) {
    EXPECT_EQ(Utf8ToCp949("a\xC3"), "a?");
    EXPECT_EQ(Utf8ToCp949("\xE0\x41"), "?"); // cut short: the rest of the text goes with it
    EXPECT_EQ(Utf8ToCp949("\xE0\x80\x41"), "?A");
    EXPECT_EQ(Utf8ToCp949("\xED\xA0\x80x"), "??x");
    EXPECT_EQ(Utf8ToCp949("\xFF\xC0\xAFx"), "???x");
}

#if defined(CP949_DUMP) || defined(_WIN32)

namespace {

std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Unhex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
}

// Whole texts, where one character's bytes can disturb the next: malformed UTF-8 built around every
// byte that can start a sequence, and random CP949 heavy with lead bytes, NULs and unassigned pairs.
std::string Texts() {
    std::ostringstream out;
    const unsigned char follow[] = {0x41, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0};
    for (int lead = 0x80; lead < 0x100; ++lead) {
        out << "U " << Hex(std::string(1, static_cast<char>(lead))) << '\n';
        for (unsigned n = 1; n <= 3; ++n) { // every choice of one, two and three followers
            for (unsigned pick = 0; pick < 1u << 3 * n; ++pick) {
                std::string text(1, static_cast<char>(lead));
                for (unsigned k = 0; k < n; ++k) {
                    text += static_cast<char>(follow[pick >> 3 * k & 7]);
                }
                out << "U " << Hex(text) << '\n';
            }
        }
    }
    std::mt19937 random(949);
    const unsigned char bytes[] = {0x00, 0x41, 0x5C, 0x80, 0x81, 0xA1, 0xA2, 0xB0, 0xC9, 0xE8, 0xFE, 0xFF};
    for (int i = 0; i < 4000; ++i) {
        std::string text(1 + random() % 12, '\0');
        for (char& c : text) {
            c = static_cast<char>(random() % 3 ? bytes[random() % sizeof bytes] : random() % 256);
        }
        out << (i % 2 ? "C " : "U ") << Hex(text) << '\n';
    }
    out << "U " << Hex("서울특별시 마포구 월드컵로 120 3층 ₩5,000 Café ½ 😀") << '\n';
    return out.str();
}

struct Mismatches {
    int checked = 0;
    int wrong = 0;
    std::vector<std::string> found;
    void Check(const std::string& input, const std::string& mine, const std::string& windows) {
        ++checked;
        if (mine != windows && ++wrong <= 8) {
            found.push_back(input + ": " + mine + " here, " + windows + " on Windows");
        }
    }
};

std::string Units(std::u16string_view units) {
    std::string out;
    char unit[8];
    for (char16_t u : units) {
        std::snprintf(unit, sizeof unit, " %04X", static_cast<unsigned>(u));
        out += unit;
    }
    return out;
}

} // namespace

#endif

#ifdef CP949_DUMP

// Every single byte, every pair of bytes, every UTF-16 unit and a few thousand whole texts, against
// the real code page functions under Wine. One Wine run answers them all.
TEST(Cp949, AgreesWithWindowsOnEveryInput) {
    const std::string base = CP949_WINEPREFIX;
    std::ofstream(base + ".in") << Texts();
    std::string command = "env -u DISPLAY WINEDEBUG=-all WINEPREFIX='" + base +
                          "' '" CP949_WINE "' '" CP949_DUMP "' <'" + base + ".in' >'" + base + ".out' 2>'" +
                          base + ".err'";
    ASSERT_EQ(std::system(command.c_str()), 0) << "see " << base << ".err";

    std::map<char, Mismatches> kinds;
    std::ifstream dump(base + ".out");
    for (std::string line; std::getline(dump, line);) {
        std::istringstream fields(line);
        std::string kind, input, rest;
        fields >> kind >> input;
        std::getline(fields, rest);
        if (kind == "B" || kind == "P") {
            kinds[kind[0]].Check(input, Units(Cp949ToUtf16(Unhex(input))), rest);
        } else if (kind == "W") {
            std::u16string unit(1, static_cast<char16_t>(std::stoi(input, nullptr, 16)));
            std::string bytes = Hex(Utf16ToCp949(unit));
            std::string spaced;
            for (size_t i = 0; i < bytes.size(); i += 2) {
                spaced += " " + bytes.substr(i, 2);
            }
            kinds['W'].Check(input, spaced, rest);
        } else if (kind == "U") {
            kinds['U'].Check(input, " " + Hex(Utf8ToCp949(Unhex(input))), rest);
        } else if (kind == "C") {
            kinds['C'].Check(input, " " + Hex(Cp949ToUtf8(Unhex(input))), rest);
        }
    }
    EXPECT_EQ(kinds['B'].checked, 256);
    EXPECT_EQ(kinds['P'].checked, 65536);
    EXPECT_EQ(kinds['W'].checked, 65536);
    EXPECT_EQ(kinds['U'].checked + kinds['C'].checked, 128 * 585 + 4001);
    for (const auto& [kind, result] : kinds) {
        EXPECT_EQ(result.wrong, 0) << "of " << result.checked << " " << kind << " lines";
        for (const std::string& mismatch : result.found) {
            ADD_FAILURE() << kind << ' ' << mismatch;
        }
    }
}

#endif

#ifdef _WIN32

// The Windows build converts with the system's functions, every other build with the table: both
// must send the same bytes for the same text.
TEST(Cp949, TheWindowsBuildAgreesWithTheTableOnEveryInput) {
    Mismatches found;
    auto decode = [&](const std::string& bytes) {
        found.Check(Hex(bytes), Units(cp949table::Cp949ToUtf16(bytes)), Units(Cp949ToUtf16(bytes)));
    };
    for (int lead = 0; lead < 256; ++lead) {
        decode(std::string(1, static_cast<char>(lead)));
        for (int trail = 0; trail < 256; ++trail) {
            decode({static_cast<char>(lead), static_cast<char>(trail)});
        }
    }
    for (int u = 0; u < 0x10000; ++u) {
        std::u16string unit(1, static_cast<char16_t>(u));
        found.Check(Units(unit), Hex(cp949table::Utf16ToCp949(unit)), Hex(Utf16ToCp949(unit)));
    }
    std::istringstream texts(Texts());
    for (std::string kind, hex; texts >> kind >> hex;) {
        std::string text = Unhex(hex);
        if (kind == "U") {
            found.Check(hex, Hex(cp949table::Utf8ToCp949(text)), Hex(Utf8ToCp949(text)));
        } else {
            found.Check(hex, Hex(cp949table::Cp949ToUtf8(text)), Hex(Cp949ToUtf8(text)));
        }
    }
    EXPECT_EQ(found.checked, 256 + 65536 + 65536 + 128 * 585 + 4001);
    EXPECT_EQ(found.wrong, 0);
    for (const std::string& mismatch : found.found) {
        ADD_FAILURE() << mismatch;
    }
}

#endif
