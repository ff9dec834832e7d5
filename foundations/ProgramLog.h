#pragma once

#include "foundations/Clock.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace dovra {

// What a line of the program's own log is about.
enum class ProgramEvent {
    Start,      // the program starts, with what it runs on
    Stop,       // the program would not start, and why
    End,        // the program ends
    Fault,      // a fault a handler caught
    Print,      // a receipt that did not print
    QtWarning,  // Qt's own complaints
    QtCritical, //
    QtFatal,    //
};

// The program's diagnostic log for the support desk, one file a day (YYYYMMDD.log) in a folder of its
// own, so the telegram logs beside it stay the merchant's record and nothing else. The support desk
// reads it by e-mail and in a text editor: UTF-8, CRLF, one event to a line. It must never hold a card
// or an authentication number, so no telegram is written to it, and any run of 13 or more digits is
// masked all the same. A log that cannot be written is given up on quietly: the program serves the
// counter whether or not its diagnostics reach the disk.
class ProgramLog {
public:
    // A log that writes nowhere, for the tools that borrow the program's windows.
    ProgramLog() = default;
    ProgramLog(std::filesystem::path folder, const Clock& clock)
        : folder_(std::move(folder)), clock_(&clock) {}

    // Safe from any thread: Qt reports from its own.
    void Write(ProgramEvent event, std::string_view utf8) const noexcept;
    // Removes the day files dated more than keptDays before today; nothing else in the folder.
    void RemoveOldDays(int keptDays) const noexcept;

private:
    std::filesystem::path folder_;
    const Clock* clock_ = nullptr;
    mutable std::mutex mutex_;
};

constexpr int ProgramLogKeptDays = 30;

// "YYYY-MM-DD hh:mm:ss KIND    text", the text made one line of valid UTF-8 with long digit runs
// masked; without the CRLF.
std::string ProgramLogLine(const LocalTime& at, ProgramEvent event, std::string_view utf8);
// Every digit of a run of 13 or more digits becomes '*'.
std::string MaskLongDigitRuns(std::string_view text);
// The start line's text: "dovra 1.0.0 release, settings root ..., cipher library ..., Qt 6.4.2".
std::string ProgramStartText(std::string_view version, bool demo, const std::filesystem::path& settingsRoot,
                             const std::filesystem::path& cipherLibrary, std::string_view qtVersion);

} // namespace dovra
