#pragma once

#include <string>
#include <string_view>

namespace dovra {

// Byte-counted text on CP949 strings. Counts, positions and widths are the 16-bit values of the
// telegram layouts; a negative count, a start below 1 or a width of 32767 or more is refused with
// std::invalid_argument rather than guessed at.
//
// A cut that would split a double-byte character puts a space in place of the orphaned byte, so the
// piece keeps its width in bytes and stays valid text.

bool IsCp949LeadByte(unsigned char byte);

// Bytes of the character that starts at s[at]: 2 for a lead byte with a valid trail byte, else 1.
size_t Cp949CharLength(std::string_view s, size_t at);

int AnsiLen(std::string_view s);
std::string AnsiLeft(std::string_view s, int n);
std::string AnsiRight(std::string_view s, int n);
std::string AnsiMid(std::string_view s, int start, int length);

// numeric: right-aligned behind "0"s, leading bytes dropped when too long;
// text: left-aligned before spaces, trailing bytes dropped when too long. Digits are not checked.
std::string PadField(std::string_view value, bool numeric, int width);

// Without the spaces at either end, as the telegrams' fields are trimmed (tabs and other bytes stay).
std::string_view TrimSpaces(std::string_view s);

// One or more ASCII digits and nothing else: blank text is no number, so a caller may hand what passes
// straight to std::stoi.
bool AllDigits(std::string_view s);

// Characters rather than bytes: a double-byte character counts once. The inner length prefix of a
// request is written with this count.
int CharCount(std::string_view s);

} // namespace dovra
