#pragma once

#include "foundations/PathText.h"

#include <QString>

#include <filesystem>

namespace dovra {

// Qt's text and the system's paths meet only here: QString::toStdString() is UTF-8, which a path on
// Windows would read in the ANSI code page, losing a folder named in Hangul or with any character
// beside that code page.
inline std::filesystem::path PathFromQt(const QString& text) {
    return PathFromUtf8(text.toStdString());
}

inline QString PathToQt(const std::filesystem::path& path) {
    return QString::fromStdString(PathToUtf8(path));
}

} // namespace dovra
