#include "foundations/TransactionLog.h"

#include "foundations/DurableFile.h"

#include <string>
#include <system_error>

namespace dovra {

bool AppendLog(std::string_view line, const std::filesystem::path& folder, std::string_view fileName) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::string bytes(line);
    bytes += "\r\n";
    return AppendToFileDurably(folder / std::filesystem::path(std::string(fileName)), bytes);
}

bool LogTelegram(std::string_view tag, std::string_view text, const Clock& clock,
                 const std::filesystem::path& folder) {
    LocalTime now = clock.Now();
    std::string line(tag);
    line += FormatLogTime(now);
    line += " ] ";
    line += text;
    return AppendLog(line, folder, FormatDate(now) + ".log");
}

} // namespace dovra
