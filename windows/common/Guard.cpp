#include "windows/common/Guard.h"

#include "windows/common/CommonTexts.h"

namespace dovra {

void TellUnexpected(const Services& services, QWidget* window, const std::string& detail) {
    QString text = CommonTexts::Unexpected;
    if (!detail.empty()) {
        text += QLatin1Char('\n') + QString::fromLocal8Bit(detail);
    }
    services.messages.Show(window, text, CommonTexts::Title, MessageIcon::Warning);
}

void LogFault(const Services& services, const QObject* where, std::string_view detail) noexcept {
    try {
        // Shown to the merchant the same way, in the system's code page where a library wrote it so.
        QString text = detail.empty()
                           ? QStringLiteral("an exception without text")
                           : QString::fromLocal8Bit(detail.data(), static_cast<qsizetype>(detail.size()));
        if (where != nullptr && !where->objectName().isEmpty()) {
            text = where->objectName() + QStringLiteral(": ") + text;
        }
        services.programLog->Write(ProgramEvent::Fault, text.toStdString());
    } catch (...) {
        // the fault is handled all the same
    }
}

} // namespace dovra
