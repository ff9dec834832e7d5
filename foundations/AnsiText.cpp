#include "foundations/AnsiText.h"

#include <algorithm>
#include <stdexcept>

namespace dovra {

namespace {

constexpr int MaxWidth = 32767;

bool IsTrailByte(unsigned char b) {
    return (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A) || (b >= 0x81 && b <= 0xFE);
}

void RequireCount(int n, const char* what) {
    if (n < 0) {
        throw std::invalid_argument(std::string(what) + " must not be negative");
    }
}

// A byte that can be neither a lead nor a trail byte always stands alone, so a character starts right
// after it. Scanning from the last such byte before a cut keeps cutting many fields from one answer
// linear instead of rescanning the whole text for each.
size_t SyncPoint(std::string_view s, size_t at) {
    while (at > 0) {
        auto b = static_cast<unsigned char>(s[at - 1]);
        if (!IsCp949LeadByte(b) && !IsTrailByte(b)) {
            break;
        }
        --at;
    }
    return at;
}

// Bytes [from, to) of s, with a space in place of each half of a character that the cut splits. An
// ASCII byte is always itself: a field that ends on half a character must not eat the letter that
// starts the next one.
std::string CutBytes(std::string_view s, size_t from, size_t to) {
    if (from >= to) {
        return {};
    }
    std::string out(s.substr(from, to - from));
    for (size_t i = SyncPoint(s, from); i < to;) {
        size_t unit = Cp949CharLength(s, i);
        if (unit == 2) {
            if (i < from && i + 1 >= from && i + 1 < to && static_cast<unsigned char>(s[i + 1]) >= 0x80) {
                out[i + 1 - from] = ' ';
            }
            if (i >= from && i + 1 >= to) {
                out[i - from] = ' ';
            }
        }
        i += unit;
    }
    return out;
}

} // namespace

bool IsCp949LeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// A stray lead byte stands alone, so it never swallows the space or digit that follows it.
size_t Cp949CharLength(std::string_view s, size_t at) {
    auto b = static_cast<unsigned char>(s[at]);
    if (IsCp949LeadByte(b) && at + 1 < s.size() && IsTrailByte(static_cast<unsigned char>(s[at + 1]))) {
        return 2;
    }
    return 1;
}

int AnsiLen(std::string_view s) {
    return static_cast<int>(s.size());
}

std::string AnsiLeft(std::string_view s, int n) {
    RequireCount(n, "AnsiLeft count");
    return CutBytes(s, 0, std::min(s.size(), static_cast<size_t>(n)));
}

std::string AnsiRight(std::string_view s, int n) {
    RequireCount(n, "AnsiRight count");
    size_t take = std::min(s.size(), static_cast<size_t>(n));
    return CutBytes(s, s.size() - take, s.size());
}

std::string AnsiMid(std::string_view s, int start, int length) {
    if (start < 1) {
        throw std::invalid_argument("AnsiMid start must be 1 or more");
    }
    RequireCount(length, "AnsiMid length");
    size_t from = static_cast<size_t>(start) - 1;
    if (from >= s.size()) {
        return {};
    }
    return CutBytes(s, from, std::min(s.size(), from + static_cast<size_t>(length)));
}

std::string PadField(std::string_view value, bool numeric, int width) {
    RequireCount(width, "PadField width");
    if (width >= MaxWidth) {
        throw std::invalid_argument("PadField width must be below 32767");
    }
    std::string fill(static_cast<size_t>(width) + 1, numeric ? '0' : ' ');
    if (numeric) {
        return AnsiRight(fill + std::string(value), width);
    }
    return AnsiLeft(std::string(value) + fill, width);
}

std::string_view TrimSpaces(std::string_view s) {
    size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int CharCount(std::string_view s) {
    int count = 0;
    for (size_t i = 0; i < s.size(); i += Cp949CharLength(s, i)) {
        ++count;
    }
    return count;
}

} // namespace dovra
