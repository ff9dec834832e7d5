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

} // namespace dovra
