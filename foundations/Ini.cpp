#include "foundations/Ini.h"

#include "foundations/AnsiText.h"
#include "foundations/DurableFile.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace dovra {

namespace {

constexpr int MaxValueBytes = 1023;

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

// Folds ASCII letters only where they stand alone: a CP949 trail byte may look like a letter.
bool SameName(std::string_view a, std::string_view b) {
    a = TrimBlanks(a);
    b = TrimBlanks(b);
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size();) {
        size_t len = Cp949CharLength(a, i);
        if (len != Cp949CharLength(b, i)) {
            return false;
        }
        if (len == 1 ? FoldAscii(a[i]) != FoldAscii(b[i]) : a.substr(i, 2) != b.substr(i, 2)) {
            return false;
        }
        i += len;
    }
    return true;
}

std::vector<std::string> ReadLines(const std::filesystem::path& file, bool& exists) {
    std::ifstream in(file, std::ios::binary);
    exists = static_cast<bool>(in);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
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

std::optional<SectionRange> FindSection(const std::vector<std::string>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(lines[i]);
        if (name && SameName(*name, section)) {
            size_t end = i + 1;
            while (end < lines.size() && !SectionName(lines[end])) {
                ++end;
            }
            return SectionRange{i, end};
        }
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const std::vector<std::string>& lines, SectionRange range,
                              std::string_view key) {
    for (size_t i = range.header + 1; i < range.end; ++i) {
        auto entry = Entry(lines[i]);
        if (entry && SameName(entry->first, key)) {
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
    bool exists = false;
    std::vector<std::string> lines = ReadLines(file, exists);
    auto range = FindSection(lines, section);
    if (!range) {
        return {};
    }
    auto index = FindKey(lines, *range, key);
    if (!index) {
        return {};
    }
    std::string_view value = TrimBlanks(Entry(lines[*index])->second);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return AnsiLeft(value, MaxValueBytes);
}

bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::filesystem::path& file) {
    bool exists = false;
    std::vector<std::string> lines = ReadLines(file, exists);
    std::string entry = WithoutLineBreaks(key) + "=" + WithoutLineBreaks(value);

    auto range = FindSection(lines, section);
    if (!range) {
        lines.push_back("[" + WithoutLineBreaks(section) + "]");
        lines.push_back(entry);
    } else if (auto index = FindKey(lines, *range, key)) {
        lines[*index] = entry;
    } else {
        // After the section's last non-blank line, so a blank line before the next section stays there.
        size_t at = range->end;
        while (at > range->header + 1 && TrimBlanks(lines[at - 1]).empty()) {
            --at;
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    }

    std::string bytes;
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
