#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dovra {

// A path as UTF-8 text and back. Windows keeps paths in UTF-16 and MinGW's narrow conversions go
// through the ANSI code page, which cannot hold every folder name a counter may have (Hangul outside
// a Korean Windows, or any name beside the code page): every path that becomes text or comes from text
// passes here.
std::string PathToUtf8(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(std::string_view utf8);

} // namespace dovra
