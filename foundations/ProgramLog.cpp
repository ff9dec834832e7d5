#include "foundations/ProgramLog.h"

#include "foundations/DurableFile.h"
#include "foundations/PathText.h"

#include <cstdio>
#include <system_error>
#include <vector>

namespace dovra {

namespace {

const char* Kind(ProgramEvent event) {
    switch (event) {
    case ProgramEvent::Start:
        return "START";
    case ProgramEvent::Stop:
        return "STOP";
    case ProgramEvent::End:
        return "END";
    case ProgramEvent::Fault:
        return "FAULT";
    case ProgramEvent::Print:
        return "PRINT";
    case ProgramEvent::QtWarning:
        return "QTWARN";
    case ProgramEvent::QtCritical:
        return "QTCRIT";
    case ProgramEvent::QtFatal:
        return "QTFATAL";
    }
    return "?";
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at text[i], or 0. Overlong forms and surrogates count as
// invalid, as a text editor would show them broken.
size_t ValidSequence(std::string_view text, size_t i) {
    auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = at(i);
    size_t length = lead < 0x80                    ? 1
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if (!IsContinuation(at(i + k))) {
            return 0;
        }
    }
    unsigned char second = length > 1 ? at(i + 1) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
        return 0;
    }
    return length;
}

// One line of valid UTF-8: a Qt message or an exception's text may span lines or carry bytes of the
// ANSI code page.
std::string OneValidLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t length = ValidSequence(text, i);
        if (length == 0) {
            line += '?';
            ++i;
        } else if (length == 1 && static_cast<unsigned char>(text[i]) < 0x20) {
            line += ' ';
            ++i;
        } else {
            line.append(text.substr(i, length));
            i += length;
        }
    }
    return line;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a civil date.
long DayNumber(int year, int month, int day) {
    year -= month <= 2;
    long era = (year >= 0 ? year : year - 399) / 400;
    long yearOfEra = year - era * 400;
    long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The day of a file named like "20261207.log", or false for any other name.
bool DayOfFileName(const std::string& name, long& dayNumber) {
    if (name.size() != 12 || name.compare(8, 4, ".log") != 0) {
        return false;
    }
    for (size_t i = 0; i < 8; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return false;
        }
    }
    int year = std::stoi(name.substr(0, 4));
    int month = std::stoi(name.substr(4, 2));
    int day = std::stoi(name.substr(6, 2));
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
        return false;
    }
    dayNumber = DayNumber(year, month, day);
    return true;
}

} // namespace

std::string MaskLongDigitRuns(std::string_view text) {
    constexpr size_t LongestKept = 12;
    std::string masked(text);
    size_t run = 0;
    for (size_t i = 0; i <= masked.size(); ++i) {
        if (i < masked.size() && masked[i] >= '0' && masked[i] <= '9') {
            ++run;
            continue;
        }
        if (run > LongestKept) {
            masked.replace(i - run, run, run, '*');
        }
        run = 0;
    }
    return masked;
}

std::string ProgramLogLine(const LocalTime& at, ProgramEvent event, std::string_view utf8) {
    char head[48];
    std::snprintf(head, sizeof head, "%04d-%02d-%02d %02d:%02d:%02d %-7s ", at.year % 10000, at.month % 100,
                  at.day % 100, at.hour % 100, at.minute % 100, at.second % 100, Kind(event));
    return head + MaskLongDigitRuns(OneValidLine(utf8));
}

std::string ProgramStartText(std::string_view version, bool demo, const std::filesystem::path& settingsRoot,
                             const std::filesystem::path& cipherLibrary, std::string_view qtVersion) {
    std::string text = "dovra ";
    text += version;
    text += demo ? " demo" : " release";
    text += ", settings root " + PathToUtf8(settingsRoot);
    text += ", cipher library " + PathToUtf8(cipherLibrary);
    text += ", Qt ";
    text += qtVersion;
    return text;
}

void ProgramLog::Write(ProgramEvent event, std::string_view utf8) const noexcept {
    if (clock_ == nullptr) {
        return;
    }
    try {
        std::lock_guard<std::mutex> one(mutex_);
        LocalTime now = clock_->Now();
        std::error_code ignored;
        std::filesystem::create_directories(folder_, ignored);
        AppendToFileDurably(folder_ / (FormatDate(now) + ".log"), ProgramLogLine(now, event, utf8) + "\r\n");
    } catch (...) {
        // no room even for the line: the program goes on without it
    }
}

void ProgramLog::RemoveOldDays(int keptDays) const noexcept {
    if (clock_ == nullptr) {
        return;
    }
    try {
        std::lock_guard<std::mutex> one(mutex_);
        LocalTime today = clock_->Now();
        long oldestKept = DayNumber(today.year, today.month, today.day) - keptDays;
        std::vector<std::filesystem::path> old;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
            long day = 0;
            std::error_code kindError;
            if (it->is_regular_file(kindError) && DayOfFileName(PathToUtf8(it->path().filename()), day) &&
                day < oldestKept) {
                old.push_back(it->path());
            }
        }
        for (const auto& file : old) {
            std::filesystem::remove(file, ec);
        }
    } catch (...) {
        // a folder that cannot be read keeps its files
    }
}

} // namespace dovra
