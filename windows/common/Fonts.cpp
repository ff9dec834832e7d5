#include "windows/common/Fonts.h"

#include "windows/common/Face.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>

namespace dovra {

// Qt on Windows finds no fonts of the system on the offscreen platform, and a Windows without Korean
// fonts has neither the windows' face nor the receipt's: receipts came out as black bars. Where the
// folder is missing the fonts are expected to be installed, as on Linux.
void LoadShippedFonts() {
    QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    const QStringList fonts = folder.entryList(
        {QStringLiteral("*.ttf"), QStringLiteral("*.ttc"), QStringLiteral("*.otf")}, QDir::Files);
    for (const QString& font : fonts) {
        QFontDatabase::addApplicationFont(folder.filePath(font));
    }
    QApplication::setFont(WindowFont());
}

} // namespace dovra
