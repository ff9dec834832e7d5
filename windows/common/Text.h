#pragma once

#include "foundations/Cp949.h"

#include <QString>

#include <string>

namespace dovra {

// Widgets speak Unicode, telegrams and settings CP949; these two cross the line.
inline QString ToQt(const std::string& cp949) {
    return QString::fromStdString(Cp949ToUtf8(cp949));
}
inline std::string ToCp949(const QString& text) {
    return Utf8ToCp949(text.toStdString());
}

// Trims spaces and nothing else: a tab or the ideographic space that a Korean input method types is
// part of what was typed, and QString::trimmed would quietly drop it.
inline QString TrimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' ')) {
        ++first;
    }
    while (last > first && text[last - 1] == QLatin1Char(' ')) {
        --last;
    }
    return text.mid(first, last - first);
}

} // namespace dovra
