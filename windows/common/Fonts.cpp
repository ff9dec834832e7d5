#include "windows/common/Fonts.h"

#include "windows/common/Face.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>

#ifdef DOVRA_FONTCONFIG
#include <fontconfig/fontconfig.h>

#include <system_error>
#endif

namespace dovra {

namespace {
// Qt on Windows finds no fonts of the system on the offscreen platform, and a Windows without Korean
// fonts has neither the windows' face nor the receipt's: receipts came out as black bars. Where the
// system has the face its own copy serves, as reading the shipped files (17 MB) at every start was a
// good part of its wait. Where the folder is missing the fonts are expected to be installed, as on Linux.
void LoadWhereMissing(const QStringList& names, const QStringList& files) {
    for (const QString& name : names) {
        if (QFontDatabase::hasFamily(name)) {
            return;
        }
    }
    QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    for (const QString& font : folder.entryList(files, QDir::Files)) {
        QFontDatabase::addApplicationFont(folder.filePath(font));
    }
}
} // namespace

SystemFontsReadAhead::SystemFontsReadAhead() {
#ifdef DOVRA_FONTCONFIG
    try {
        // Qt's own FcInit() later finds the configuration read; were it still being read, fontconfig lets
        // one of the two readings stand and drops the other.
        reading_ = std::async(std::launch::async, [] { FcInit(); });
    } catch (const std::system_error&) {
        // No thread to be had: Qt reads the configuration itself, as it would without this.
    }
#endif
}

void LoadShippedFonts() {
    // Its bold face too: the calendar's month and year are drawn in it.
    LoadWhereMissing({QStringLiteral("NanumBarunGothic"), QStringLiteral("나눔바른고딕")},
                     {QStringLiteral("NanumBarunGothic*.ttf")});
    QApplication::setFont(WindowFont());
}

void LoadReceiptFont() {
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        LoadWhereMissing({QStringLiteral("D2Coding")},
                         {QStringLiteral("D2Coding*.ttc"), QStringLiteral("D2Coding*.ttf")});
    }
}

} // namespace dovra
