#include "foundations/Cp949.h"
#include "foundations/Cp949Table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <type_traits>

using namespace dovra;

// What Windows answers, written out for what the reference comparison below does not reach: a surrogate
// pair in the wrong order, and a conversion's state left over into the next call. The comparison needs
// Wine, which every build that runs these tests has.
TEST(Cp949, ConvertsAsWindowsCodePage949Does) {
    EXPECT_EQ(Cp949ToUtf8("x\xA2\xE8y"), "x?y");
    EXPECT_EQ(Cp949ToUtf8("x\xA2\xE8y"), "x?y");
    EXPECT_EQ(Utf8ToCp949("똠₩1,000"), "\x8C\x63\\1,000");
    EXPECT_EQ(Utf16ToCp949(u"\xDC00\xD800"), "??");
}

#if defined(CP949_DUMP) || defined(_WIN32)

namespace {

template <class Units> std::string Hex(const Units& units, const char* format = "%02X") {
    std::string out;
    char digits[8];
    for (auto unit : units) {
        std::snprintf(digits, sizeof digits, format, static_cast<std::make_unsigned_t<decltype(unit)>>(unit));
        out += digits;
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

// One line of the reference dump answered in its own format, by the table or by the build's own
// conversion: bytes ("B" one, "P" two) to UTF-16 units, a unit ("W") to bytes, whole texts from UTF-8
// ("U") or from CP949 ("C").
std::string Answer(bool table, char kind, const std::string& input) {
    std::string bytes = Unhex(input);
    if (kind == 'B' || kind == 'P') {
        return Hex(table ? cp949table::Cp949ToUtf16(bytes) : Cp949ToUtf16(bytes), " %04X");
    }
    if (kind == 'W') {
        std::u16string unit(1, static_cast<char16_t>(std::stoi(input, nullptr, 16)));
        return Hex(table ? cp949table::Utf16ToCp949(unit) : Utf16ToCp949(unit), " %02X");
    }
    auto convert = kind == 'U' ? (table ? cp949table::Utf8ToCp949 : Utf8ToCp949)
                               : (table ? cp949table::Cp949ToUtf8 : Cp949ToUtf8);
    return " " + Hex(convert(bytes));
}

// Whole texts, where one character's bytes can disturb the next: malformed UTF-8 built around every
// byte that can start a sequence, and random CP949 heavy with lead bytes, NULs and unassigned pairs.
std::string Texts() {
    std::ostringstream out;
    const unsigned char follow[] = {0x41, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0};
    for (int lead = 0x80; lead < 0x100; ++lead) {
        for (unsigned n = 0; n <= 3; ++n) { // every choice of up to three followers
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
    out << "U " << Hex(std::string("서울특별시 마포구 월드컵로 120 3층 ₩5,000 Café ½ 😀")) << '\n';
    return out.str();
}

} // namespace

// Every single byte, every pair of bytes, every UTF-16 unit and the texts above, against the real code
// page functions under Wine; one Wine run answers them all. The Windows build converts with those
// functions itself, so there the table that every other build converts with is held to them.
TEST(Cp949, AgreesWithWindowsOnEveryInput) {
#ifdef _WIN32
    std::ostringstream inputs;
    for (int b = 0; b < 256; ++b) {
        inputs << "B " << Hex(std::string(1, static_cast<char>(b))) << '\n';
    }
    for (int p = 0; p < 0x10000; ++p) {
        std::string pair{static_cast<char>(p >> 8), static_cast<char>(p)};
        inputs << "P " << Hex(pair) << "\nW " << Hex(pair) << '\n';
    }
    std::istringstream lines(inputs.str() + Texts());
    std::ostringstream reference;
    for (std::string kind, input; lines >> kind >> input;) {
        reference << kind << ' ' << input << Answer(true, kind[0], input) << '\n';
    }
#else
    const std::string base = CP949_WINEPREFIX;
    std::ofstream(base + ".in") << Texts();
    std::string command = "env -u DISPLAY WINEDEBUG=-all WINEPREFIX='" + base +
                          "' '" CP949_WINE "' '" CP949_DUMP "' <'" + base + ".in' >'" + base + ".out' 2>'" +
                          base + ".err'";
    ASSERT_EQ(std::system(command.c_str()), 0) << "see " << base << ".err";
    std::ostringstream reference;
    reference << std::ifstream(base + ".out").rdbuf();
#endif
    int checked = 0, wrong = 0;
    std::istringstream dump(reference.str());
    for (std::string line; std::getline(dump, line); ++checked) {
        std::istringstream fields(line);
        std::string kind, input, answer;
        std::getline(fields >> kind >> input, answer);
        if (std::string ours = Answer(false, kind[0], input); ours != answer && ++wrong <= 8) {
            ADD_FAILURE() << line << " in the reference," << ours << " here";
        }
    }
    EXPECT_EQ(checked, 256 + 65536 + 65536 + 128 * 585 + 4001);
    EXPECT_EQ(wrong, 0);
}

#endif
