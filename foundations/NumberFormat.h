#pragma once

#include <string>
#include <string_view>

namespace dovra {

// "#,##0": a field holding a whole number (leading zeros, surrounding spaces and thousands separators
// allowed) is shown with thousands separators, so 000040000 reads 40,000; anything else, blanks
// included, is shown exactly as received.
std::string FormatThousands(std::string_view field);

// "##:##:##" on a time field HHMMSS read as a number: 143015 reads 14:30:15 and 093015 reads 9:30:15,
// the leading zero being no digit of the number. A field that is not a number is shown as received.
std::string FormatClockTime(std::string_view field);

} // namespace dovra
