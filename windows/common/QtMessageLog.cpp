#include "windows/common/QtMessageLog.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <cstring>

namespace dovra {

namespace {

// Qt calls the handler as a plain function, from any thread.
std::atomic<const ProgramLog*> current{nullptr};
QtMessageHandler previous = nullptr;

void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const ProgramLog* log = current.load();
    if (log != nullptr && (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)) {
        ProgramEvent event = type == QtWarningMsg    ? ProgramEvent::QtWarning
                             : type == QtCriticalMsg ? ProgramEvent::QtCritical
                                                     : ProgramEvent::QtFatal;
        QString text = message;
        if (context.category != nullptr && std::strcmp(context.category, "default") != 0) {
            text = QString::fromUtf8(context.category) + QStringLiteral(": ") + message;
        }
        log->Write(event, text.toStdString());
    }
    if (previous != nullptr) {
        previous(type, context, message);
    }
}

} // namespace

QtMessageLog::QtMessageLog(std::shared_ptr<const ProgramLog> log) : log_(std::move(log)) {
    current.store(log_.get());
    previous = qInstallMessageHandler(Handle);
}

QtMessageLog::~QtMessageLog() {
    qInstallMessageHandler(previous);
    current.store(nullptr);
}

} // namespace dovra
