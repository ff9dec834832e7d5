#include "foundations/NumberFormat.h"

#include "foundations/AnsiText.h"

#include <algorithm>

namespace dovra {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The digits of a whole number without leading zeros ("0" for zero); empty when s is not one.
std::string WholeNumberDigits(std::string_view s, bool allowSeparators) {
    s = TrimSpaces(s);
    std::string digits;
    for (char c : s) {
        if (IsDigit(c)) {
            digits += c;
        } else if (!(allowSeparators && c == ',')) {
            return {};
        }
    }
    if (digits.empty()) {
        return {};
    }
    size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    return digits.substr(first);
}

} // namespace

std::string FormatThousands(std::string_view field) {
    std::string digits = WholeNumberDigits(field, true);
    if (digits.empty()) {
        return std::string(field);
    }
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

std::string FormatClockTime(std::string_view field) {
    std::string digits = WholeNumberDigits(field, false);
    if (digits.empty()) {
        return std::string(field);
    }
    // Digits fill the mask from the right; a "#" without a digit shows nothing, the colons stay.
    const std::string_view mask = "##:##:##";
    std::string out;
    size_t next = digits.size();
    for (size_t i = mask.size(); i-- > 0;) {
        if (mask[i] != '#') {
            out.insert(out.begin(), mask[i]);
        } else if (next > 0) {
            out.insert(out.begin(), digits[--next]);
        }
    }
    return digits.substr(0, next) + out;
}

} // namespace dovra
