#include "foundations/Ini.h"

#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"
#include "foundations/DurableFile.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace dovra {

namespace {

constexpr int MaxValueBytes = 1023;
constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LeMark = "\xFF\xFE";
constexpr std::string_view Utf16BeMark = "\xFE\xFF";

// A file's byte-order mark says how its text is stored, as Notepad saves it ("UTF-8 with BOM",
// "Unicode", "Unicode big endian"); a file without one is ANSI. The callers speak CP949 either way.
enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

bool IsUtf16(Encoding encoding) {
    return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
}

// Names and values end at their first NUL, as the C strings of the Windows functions do.
std::string_view UpToNul(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

// UTF-16 text is held one unit at a time in UTF-8's form, a lone surrogate included, so that it is
// searched like a UTF-8 file's and every unit the file held is written back as it was.
std::string UnitsAsUtf8(std::u16string_view units) {
    std::string out;
    for (char16_t unit : units) {
        if (unit < 0x80) {
            out += static_cast<char>(unit);
        } else if (unit < 0x800) {
            out += static_cast<char>(0xC0 | (unit >> 6));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (unit >> 12));
            out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return out;
}

std::u16string UnitsFromUtf8(std::string_view text) {
    std::u16string units;
    for (size_t i = 0; i < text.size();) {
        auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
        size_t length = byte(i) < 0xC0 ? 1 : byte(i) < 0xE0 ? 2 : 3;
        if (i + length > text.size()) {
            length = 1;
        }
        auto unit = static_cast<char16_t>(
            length == 1   ? byte(i)
            : length == 2 ? ((byte(i) & 0x1F) << 6) | (byte(i + 1) & 0x3F)
                          : ((byte(i) & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F));
        units += unit;
        i += length;
    }
    return units;
}

// A last odd byte is a unit of its own, as the profile functions take it.
std::u16string DecodeUtf16(std::string_view bytes, Encoding encoding) {
    std::u16string units;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        auto first = static_cast<unsigned char>(bytes[i]);
        if (i + 1 == bytes.size()) {
            units += first;
            break;
        }
        auto second = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(encoding == Encoding::Utf16Le ? (second << 8) | first
                                                                     : (first << 8) | second);
    }
    return units;
}

std::string EncodeUtf16(std::u16string_view units, Encoding encoding) {
    std::string bytes(encoding == Encoding::Utf16Le ? Utf16LeMark : Utf16BeMark);
    for (char16_t unit : units) {
        char high = static_cast<char>(unit >> 8);
        char low = static_cast<char>(unit & 0xFF);
        bytes += encoding == Encoding::Utf16Le ? low : high;
        bytes += encoding == Encoding::Utf16Le ? high : low;
    }
    return bytes;
}

std::string FromCallers(std::string_view cp949, Encoding encoding) {
    cp949 = UpToNul(cp949);
    if (IsUtf16(encoding)) {
        return UnitsAsUtf8(Cp949ToUtf16(cp949));
    }
    return encoding == Encoding::Utf8 ? Cp949ToUtf8(cp949) : std::string(cp949);
}

std::string ToCallers(std::string_view text, Encoding encoding) {
    if (IsUtf16(encoding)) {
        return Utf16ToCp949(UnitsFromUtf8(text));
    }
    return encoding == Encoding::Utf8 ? Utf8ToCp949(text) : std::string(text);
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
// (and UTF-16 as held here) every byte of a longer character is 0x80 or more, so each byte stands alone.
bool SameName(std::string_view a, std::string_view b, Encoding encoding) {
    a = TrimBlanks(a);
    b = TrimBlanks(b);
    if (a.size() != b.size()) {
        return false;
    }
    auto charLength = [encoding](std::string_view s, size_t at) {
        return encoding == Encoding::Ansi ? Cp949CharLength(s, at) : size_t{1};
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
    std::vector<std::string> lines; // without the mark; ANSI and UTF-8 as in the file, UTF-16 as above
};

IniLines ReadLines(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream whole; // a folder in the file's place reads as empty rather than throwing
    whole << in.rdbuf();
    std::string text = std::move(whole).str();
    IniLines read;
    if (text.starts_with(Utf8Mark)) {
        read.encoding = Encoding::Utf8;
        text.erase(0, Utf8Mark.size());
    } else if (text.starts_with(Utf16LeMark) || text.starts_with(Utf16BeMark)) {
        read.encoding = text.starts_with(Utf16LeMark) ? Encoding::Utf16Le : Encoding::Utf16Be;
        text = UnitsAsUtf8(DecodeUtf16(std::string_view(text).substr(Utf16LeMark.size()), read.encoding));
    }
    // A line ends at CR LF, at LF or at CR alone, as the profile functions read it.
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        read.lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
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
    return AnsiLeft(ToCallers(value, ini.encoding), MaxValueBytes);
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

    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    std::string bytes = IsUtf16(ini.encoding)            ? EncodeUtf16(UnitsFromUtf8(text), ini.encoding)
                        : ini.encoding == Encoding::Utf8 ? std::string(Utf8Mark) + text
                                                         : text;
    std::error_code ec;
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), ec);
    }
    return ReplaceFileDurably(file, bytes);
}

} // namespace dovra
