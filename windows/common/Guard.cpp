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

} // namespace dovra
