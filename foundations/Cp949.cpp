#include "foundations/Cp949.h"

#include <cerrno>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace dovra {

#ifdef _WIN32

namespace {
std::string Convert(std::string_view in, UINT from, UINT to) {
    if (in.empty()) {
        return {};
    }
    int wideLen = MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLen), L'\0');
    MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), wide.data(), wideLen);
    int outLen =
        WideCharToMultiByte(to, 0, wide.data(), wideLen, nullptr, 0, to == CP_UTF8 ? nullptr : "?", nullptr);
    std::string out(static_cast<size_t>(outLen), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLen, out.data(), outLen, to == CP_UTF8 ? nullptr : "?",
                        nullptr);
    return out;
}
} // namespace

std::string Utf8ToCp949(std::string_view utf8) {
    return Convert(utf8, CP_UTF8, 949);
}
std::string Cp949ToUtf8(std::string_view cp949) {
    return Convert(cp949, 949, CP_UTF8);
}

#else

namespace {
// glibc's name for Windows code page 949; an iconv descriptor is cheap enough to open per call and
// keeps the converter free of shared state.
std::string Convert(std::string_view in, const char* from, const char* to, std::string_view replacement) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
    }
    std::string out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            // EILSEQ or EINVAL: skip one unit of the input and mark the spot.
            out.append(replacement);
            size_t skip = 1;
            if (std::string_view(from) == "UTF-8") {
                auto lead = static_cast<unsigned char>(*src);
                skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
                skip = skip > srcLeft ? srcLeft : skip;
            }
            src += skip;
            srcLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}
} // namespace

std::string Utf8ToCp949(std::string_view utf8) {
    return Convert(utf8, "UTF-8", "CP949", "?");
}
std::string Cp949ToUtf8(std::string_view cp949) {
    return Convert(cp949, "CP949", "UTF-8", "\xEF\xBF\xBD");
}

#endif

} // namespace dovra
