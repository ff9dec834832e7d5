#include "foundations/Cp949Table.h"

#include <array>
#include <cstdint>

namespace dovra::cp949table {

namespace {

#include "foundations/Cp949Table.inc"

constexpr char16_t Replacement = u'\uFFFD';

// The rows unpacked once into direct lookups; 256 KB, and no conversion ever searches.
struct Tables {
    std::array<bool, 256> isLead{};
    std::array<char16_t, 256> single{};
    std::array<char16_t, 0x10000> pair{};      // by lead << 8 | trail; 0 where the pair has no character
    std::array<std::uint16_t, 0x10000> code{}; // by unit: a byte below 0x100, else a pair

    Tables() {
        isLead.fill(true);
        code.fill('?');
        for (const char* row : Cp949Rows) {
            const char* p = row;
            bool oneWay = *p == '>';
            unsigned at = oneWay ? (++p, 0u) : Hex(p);
            while (*p == ' ') {
                ++p;
                unsigned first = Hex(p);
                if (oneWay) {
                    ++p;
                    code[first & 0xFFFF] = static_cast<std::uint16_t>(Hex(p));
                    continue;
                }
                unsigned last = first;
                if (*p == '-') {
                    ++p;
                    last = Hex(p);
                }
                for (unsigned unit = first; unit <= last; ++unit, ++at) {
                    Assign(at & 0xFFFF, unit & 0xFFFF);
                }
            }
        }
    }

    void Assign(unsigned at, unsigned unit) {
        if (at < 0x100) {
            single[at] = static_cast<char16_t>(unit);
            isLead[at] = false;
        } else {
            pair[at] = static_cast<char16_t>(unit);
        }
        code[unit] = static_cast<std::uint16_t>(at);
    }

    static unsigned Hex(const char*& p) {
        unsigned value = 0;
        for (;; ++p) {
            char c = *p;
            if (c >= '0' && c <= '9') {
                value = value << 4 | static_cast<unsigned>(c - '0');
            } else if (c >= 'A' && c <= 'F') {
                value = value << 4 | static_cast<unsigned>(c - 'A' + 10);
            } else {
                return value;
            }
        }
    }
};

const Tables& Table() {
    static const Tables tables;
    return tables;
}

// Windows' reading of malformed UTF-8, not the Unicode recommendation: a sequence cut short by the end
// of the text swallows the rest of it, and a broken one becomes a single U+FFFD for its lead byte and
// the continuation bytes that still fitted, the first misfit being read afresh (except a fourth-byte
// sequence above U+10FFFF, whose misfit is the third byte while the second is already taken).
std::u16string Utf8ToUtf16(std::string_view in) {
    std::u16string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        unsigned lead = static_cast<unsigned char>(in[i++]);
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            continue;
        }
        int more = lead >= 0xC2 && lead <= 0xDF   ? 1
                   : lead >= 0xE0 && lead <= 0xEF ? 2
                   : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                  : 0;
        if (in.size() - i < static_cast<size_t>(more)) {
            out += Replacement;
            break;
        }
        unsigned cp = lead & (0x7Fu >> (more + 1));
        bool valid = more > 0;
        for (int left = more; left > 0; --left) {
            unsigned bits = static_cast<unsigned char>(in[i]) ^ 0x80u;
            if (bits >= 0x40) {
                valid = false;
                break;
            }
            cp = cp << 6 | bits;
            if (left == 2 && cp >= (0x110000 >> 6)) {
                valid = false;
                break;
            }
            ++i;
            bool overlong = (left == 3 && cp < 0x10) || (left == 2 && cp < 0x20);
            bool surrogate = left == 2 && cp >= (0xD800 >> 6) && cp <= (0xDFFF >> 6);
            if (overlong || surrogate) {
                valid = false;
                break;
            }
        }
        if (!valid) {
            out += Replacement;
        } else if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            out += static_cast<char16_t>(0xD800 | (cp - 0x10000) >> 10);
            out += static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
        }
    }
    return out;
}

} // namespace

std::u16string Cp949ToUtf16(std::string_view cp949) {
    const Tables& t = Table();
    std::u16string out;
    out.reserve(cp949.size());
    for (size_t i = 0; i < cp949.size(); ++i) {
        auto byte = static_cast<unsigned char>(cp949[i]);
        if (!t.isLead[byte]) {
            out += t.single[byte];
            continue;
        }
        // A lead byte takes whatever follows but a NUL as its partner, even when the pair means nothing:
        // the two become one "?" and the next byte is never looked at again. Alone, or before a NUL,
        // it is a "?" by itself.
        if (i + 1 < cp949.size() && cp949[i + 1] != '\0') {
            char16_t unit = t.pair[byte << 8 | static_cast<unsigned char>(cp949[++i])];
            out += unit != 0 ? unit : u'?';
        } else {
            out += u'?';
        }
    }
    return out;
}

std::string Utf16ToCp949(std::u16string_view utf16) {
    const Tables& t = Table();
    std::string out;
    out.reserve(utf16.size() * 2);
    for (char16_t unit : utf16) {
        std::uint16_t code = t.code[unit];
        if (code >= 0x100) {
            out += static_cast<char>(code >> 8);
        }
        out += static_cast<char>(code & 0xFF);
    }
    return out;
}

std::string Utf8ToCp949(std::string_view utf8) {
    return Utf16ToCp949(Utf8ToUtf16(utf8));
}

std::string Cp949ToUtf8(std::string_view cp949) {
    std::string out;
    out.reserve(cp949.size() * 3 / 2);
    for (char16_t unit : Cp949ToUtf16(cp949)) {
        // No CP949 code means a surrogate; should one appear it must not become invalid UTF-8.
        unsigned cp = unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

} // namespace dovra::cp949table
