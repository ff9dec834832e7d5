#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dovra {

// Settings files in the manner of Windows' private-profile functions. The callers speak CP949 bytes; a
// file that starts with a byte-order mark (UTF-8, UTF-16 little or big endian) is read and written in
// that encoding and keeps its mark, and a line may end at CR LF, LF or CR alone. Section and key names
// match without regard to ASCII case or surrounding blanks. Names and values end at their first NUL, in
// the file and from the caller alike.

// A missing file, section or key reads as empty text. The value comes back without surrounding
// blanks and without one pair of enclosing quotes, cut to 1023 bytes.
std::string ReadIni(std::string_view section, std::string_view key, const std::filesystem::path& file);

// Replaces the key where it stands, or appends it at the end of its section, or appends the section at
// the end of the file; every other line is kept as it was. The file (and its folder) is created when
// missing and replaced atomically. Line breaks inside the value would forge new lines, so they are
// written as spaces. Returns false when the file could not be written.
bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::filesystem::path& file);

} // namespace dovra
