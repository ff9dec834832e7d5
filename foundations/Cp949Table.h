#pragma once

#include <string>
#include <string_view>

// Code page 949 as Windows converts it, from a table generated from Windows' own functions: the
// conversion everywhere but on Windows, and on Windows the reference its build is held to.
namespace dovra::cp949table {

std::string Utf8ToCp949(std::string_view utf8);
std::string Cp949ToUtf8(std::string_view cp949);
std::u16string Cp949ToUtf16(std::string_view cp949);
std::string Utf16ToCp949(std::u16string_view utf16);

} // namespace dovra::cp949table
