#pragma once

#include <string>
#include <string_view>

namespace dovra {

// The one place where text crosses between the widgets' Unicode (UTF-8 here) and the CP949 bytes that
// telegrams, settings and logs are made of. Both directions give exactly what Windows gives with code
// page 949 and no flags, whatever the input: characters CP949 cannot hold become "?" unless Windows
// has a look-alike for them (₩ becomes the backslash byte), and bytes that are not valid CP949 become
// "?" too. Malformed UTF-8 is read the way Windows reads it. Nothing here throws or fails.
std::string Utf8ToCp949(std::string_view utf8);
std::string Cp949ToUtf8(std::string_view cp949);

// The same conversions one UTF-16 unit at a time, as Windows' MultiByteToWideChar and
// WideCharToMultiByte see them; a lone surrogate is a unit like any other.
std::u16string Cp949ToUtf16(std::string_view cp949);
std::string Utf16ToCp949(std::u16string_view utf16);

} // namespace dovra
