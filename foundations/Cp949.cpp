#include "foundations/Cp949.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "foundations/Cp949Table.h"
#endif

namespace dovra {

#ifdef _WIN32

namespace {
// No flags and "?" for what 949 cannot hold: the table the other systems use is generated from
// exactly these calls, so the two builds agree byte for byte.
std::u16string ToUtf16(std::string_view in, UINT codePage) {
    if (in.empty()) {
        return {};
    }
    int len = MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (len <= 0) {
        return {};
    }
    std::u16string out(static_cast<size_t>(len), u'\0');
    MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()),
                        reinterpret_cast<wchar_t*>(out.data()), len);
    return out;
}

std::string FromUtf16(std::u16string_view in, UINT codePage) {
    if (in.empty()) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(in.data());
    const char* defaultChar = codePage == CP_UTF8 ? nullptr : "?";
    int len =
        WideCharToMultiByte(codePage, 0, wide, static_cast<int>(in.size()), nullptr, 0, defaultChar, nullptr);
    if (len <= 0) {
        return {};
    }
    std::string out(static_cast<size_t>(len), '\0');
    WideCharToMultiByte(codePage, 0, wide, static_cast<int>(in.size()), out.data(), len, defaultChar,
                        nullptr);
    return out;
}
} // namespace

std::u16string Cp949ToUtf16(std::string_view cp949) {
    return ToUtf16(cp949, 949);
}
std::string Utf16ToCp949(std::u16string_view utf16) {
    return FromUtf16(utf16, 949);
}
std::string Utf8ToCp949(std::string_view utf8) {
    return FromUtf16(ToUtf16(utf8, CP_UTF8), 949);
}
std::string Cp949ToUtf8(std::string_view cp949) {
    return FromUtf16(ToUtf16(cp949, 949), CP_UTF8);
}

#else

std::u16string Cp949ToUtf16(std::string_view cp949) {
    return cp949table::Cp949ToUtf16(cp949);
}
std::string Utf16ToCp949(std::u16string_view utf16) {
    return cp949table::Utf16ToCp949(utf16);
}
std::string Utf8ToCp949(std::string_view utf8) {
    return cp949table::Utf8ToCp949(utf8);
}
std::string Cp949ToUtf8(std::string_view cp949) {
    return cp949table::Cp949ToUtf8(cp949);
}

#endif

} // namespace dovra
