#include "foundations/Ini.h"

#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"
#include "foundations/DurableFile.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace dovra {

namespace {

constexpr int MaxValueBytes = 1023;
constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// A file that starts with a UTF-8 byte-order mark holds UTF-8 text, as Notepad saves it; everything
// else is ANSI. The callers speak CP949 either way.
enum class Encoding { Ansi, Utf8 };

// Names and values end at their first NUL, as the C strings of the Windows functions do.
std::string_view UpToNul(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

std::string FromCallers(std::string_view cp949, Encoding encoding) {
    return encoding == Encoding::Utf8 ? Cp949ToUtf8(UpToNul(cp949)) : std::string(UpToNul(cp949));
}

std::string_view TrimBlanks(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Folds ASCII letters only where they stand alone: a CP949 trail byte may look like a letter. In UTF-8
// every byte of a longer character is 0x80 or more, so each byte stands alone.
bool SameName(std::string_view a, std::string_view b, Encoding encoding) {
    a = TrimBlanks(a);
    b = TrimBlanks(b);
    if (a.size() != b.size()) {
        return false;
    }
    auto charLength = [encoding](std::string_view s, size_t at) {
        return encoding == Encoding::Utf8 ? size_t{1} : Cp949CharLength(s, at);
    };
    for (size_t i = 0; i < a.size();) {
        size_t len = charLength(a, i);
        if (len != charLength(b, i)) {
            return false;
        }
        if (len == 1 ? FoldAscii(a[i]) != FoldAscii(b[i]) : a.substr(i, 2) != b.substr(i, 2)) {
            return false;
        }
        i += len;
    }
    return true;
}

struct IniLines {
    Encoding encoding = Encoding::Ansi;
    std::vector<std::string> lines; // in the file's own encoding, without the mark
};

IniLines ReadLines(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    IniLines read;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (read.lines.empty() && line.starts_with(Utf8Mark)) {
            read.encoding = Encoding::Utf8;
            line.erase(0, Utf8Mark.size());
        }
        read.lines.push_back(line);
    }
    return read;
}

std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    size_t close = line.find(']');
    return TrimBlanks(close == std::string_view::npos ? line : line.substr(0, close));
}

// Key and raw value of a "key=value" line; lines without "=" are not entries.
std::optional<std::pair<std::string_view, std::string_view>> Entry(std::string_view line) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || SectionName(line)) {
        return std::nullopt;
    }
    return std::make_pair(TrimBlanks(line.substr(0, eq)), line.substr(eq + 1));
}

// Index range of the first section with this name: [header, end).
struct SectionRange {
    size_t header;
    size_t end;
};

std::optional<SectionRange> FindSection(const IniLines& ini, std::string_view section) {
    const std::vector<std::string>& lines = ini.lines;
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(lines[i]);
        if (name && SameName(*name, section, ini.encoding)) {
            size_t end = i + 1;
            while (end < lines.size() && !SectionName(lines[end])) {
                ++end;
            }
            return SectionRange{i, end};
        }
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const IniLines& ini, SectionRange range, std::string_view key) {
    for (size_t i = range.header + 1; i < range.end; ++i) {
        auto entry = Entry(ini.lines[i]);
        if (entry && SameName(entry->first, key, ini.encoding)) {
            return i;
        }
    }
    return std::nullopt;
}

std::string WithoutLineBreaks(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

} // namespace

std::string ReadIni(std::string_view section, std::string_view key, const std::filesystem::path& file) {
    IniLines ini = ReadLines(file);
    auto range = FindSection(ini, FromCallers(section, ini.encoding));
    if (!range) {
        return {};
    }
    auto index = FindKey(ini, *range, FromCallers(key, ini.encoding));
    if (!index) {
        return {};
    }
    std::string_view value = UpToNul(TrimBlanks(Entry(ini.lines[*index])->second));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return AnsiLeft(ini.encoding == Encoding::Utf8 ? Utf8ToCp949(value) : std::string(value), MaxValueBytes);
}

bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::filesystem::path& file) {
    IniLines ini = ReadLines(file);
    std::vector<std::string>& lines = ini.lines;
    std::string sectionName = WithoutLineBreaks(FromCallers(section, ini.encoding));
    std::string keyName = WithoutLineBreaks(FromCallers(key, ini.encoding));
    std::string entry = keyName + "=" + WithoutLineBreaks(FromCallers(value, ini.encoding));

    auto range = FindSection(ini, sectionName);
    if (!range) {
        lines.push_back("[" + sectionName + "]");
        lines.push_back(entry);
    } else if (auto index = FindKey(ini, *range, keyName)) {
        lines[*index] = entry;
    } else {
        // After the section's last non-blank line, so a blank line before the next section stays there.
        size_t at = range->end;
        while (at > range->header + 1 && TrimBlanks(lines[at - 1]).empty()) {
            --at;
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    }

    std::string bytes(ini.encoding == Encoding::Utf8 ? Utf8Mark : "");
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    std::error_code ec;
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), ec);
    }
    return ReplaceFileDurably(file, bytes);
}

} // namespace dovra
