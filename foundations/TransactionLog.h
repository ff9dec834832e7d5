#pragma once

#include "foundations/Clock.h"

#include <filesystem>
#include <string_view>

namespace dovra {

// Appends line and CRLF to folder/fileName, creating the folder (and the settings root above it) when
// missing. The file is opened, written to disk and closed within the call. Returns false when the line
// could not be written; the caller decides what the merchant is told.
bool AppendLog(std::string_view line, const std::filesystem::path& folder, std::string_view fileName);

// The telegram line: tag + "hh:nn:ss" + " ] " + text, in the day file "YYYYMMDD.log". Date and time come
// from one reading of the clock, so a line written at midnight carries the time of the day it is filed
// under.
bool LogTelegram(std::string_view tag, std::string_view text, const Clock& clock,
                 const std::filesystem::path& folder);

} // namespace dovra
