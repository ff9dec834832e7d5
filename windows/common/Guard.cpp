#include "windows/common/Guard.h"

#include "windows/common/CommonTexts.h"

#include <QTimer>

namespace dovra {

namespace {
QString UnexpectedText(const QString& detail) {
    return detail.isEmpty() ? CommonTexts::Unexpected : CommonTexts::Unexpected + QLatin1Char('\n') + detail;
}
} // namespace

void TellUnexpected(const Services& services, QWidget* window, const std::string& detail) {
    services.messages.Show(window, UnexpectedText(QString::fromLocal8Bit(detail)), CommonTexts::Title,
                           MessageIcon::Warning);
}

void TellOutcome(const Services& services, QWidget* window, const ExchangeOutcome& outcome,
                 const QString& title) {
    if (outcome.fault) {
        services.messages.Show(window, outcome.message, CommonTexts::Title, MessageIcon::Warning);
    } else if (!outcome.message.isEmpty()) {
        services.messages.Show(window, outcome.message, title, MessageIcon::None);
    }
}

// Later in the event loop, so the exchange in hand is not held up by a message box. The call waits on
// the exchanges, which outlive every window: a login that succeeds closes its window, socket and all,
// and under Windows' event order that can come before the warning's turn.
void TellRunWarnings(Exchanges& exchanges, MessageBoxes& messages) {
    QObject::connect(
        &exchanges, &Exchanges::LogNotWritten, &exchanges,
        [&messages] {
            messages.Show(nullptr, CommonTexts::LogNotWritten, CommonTexts::Title, MessageIcon::Warning);
        },
        Qt::QueuedConnection);
    QObject::connect(
        &exchanges, &Exchanges::FaultInCancellations, &exchanges,
        [&messages](const QString& detail) {
            messages.Show(nullptr, UnexpectedText(detail), CommonTexts::Title, MessageIcon::Warning);
        },
        Qt::QueuedConnection);
}

} // namespace dovra
