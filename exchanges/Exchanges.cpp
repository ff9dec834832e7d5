#include "exchanges/Exchanges.h"

#include "exchanges/AutomaticCancellation.h"
#include "exchanges/Guard.h"

#include <QString>

namespace dovra {

Exchanges::Exchanges(const CipherLibrary& cipher, const Clock& clock, SettingsPaths paths,
                     ServerAddress lookupServer, std::shared_ptr<const ProgramLog> programLog,
                     CancellationJournal::FileRemover remover, QObject* parent)
    : QObject(parent), cipher_(cipher), clock_(clock), counter_(clock, std::move(paths)),
      lookupServer_(std::move(lookupServer)), programLog_(std::move(programLog)),
      cancellations_(new AutomaticCancellation(*this, counter_, std::move(remover), this)) {}

Exchanges::~Exchanges() = default;

// The day's log is the merchant's record of every telegram. When it cannot be written the exchange
// goes on, but the merchant hears of it once a run, so a full disk does not ask at every telegram.
void Exchanges::WarnLogNotWritten() {
    if (!std::exchange(logNotWrittenTold_, true)) {
        emit LogNotWritten();
    }
}

void LogFault(const ProgramLog& log, const QObject* where, std::string_view detail) noexcept {
    try {
        // In the system's code page where a library wrote it so.
        QString text = detail.empty()
                           ? QStringLiteral("an exception without text")
                           : QString::fromLocal8Bit(detail.data(), static_cast<qsizetype>(detail.size()));
        if (where != nullptr && !where->objectName().isEmpty()) {
            text = where->objectName() + QStringLiteral(": ") + text;
        }
        log.Write(ProgramEvent::Fault, text.toStdString());
    } catch (...) {
        // the fault is handled all the same
    }
}

} // namespace dovra
