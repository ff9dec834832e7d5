#include "windows/common/TelegramSocket.h"

#include "windows/common/CommonTexts.h"
#include "windows/common/Guard.h"

#include <QCoreApplication>

namespace dovra {

namespace {
// A server that takes longer than this to accept is treated as unreachable, so the window that waits
// is never left hanging on the platform's own connection time-out of minutes.
constexpr int ConnectTimeoutMs = 10000;

// The day's log is the merchant's record of every telegram. When it cannot be written the exchange
// goes on, but the merchant hears of it once: later in the event loop, so the exchange in hand is not
// held up by a message box, and only once a run, so a full disk does not ask at every telegram. The
// warning waits on the application, not on the socket: a login that succeeds closes its window, socket
// and all, and under Windows' event order that can come before the warning's turn.
void WarnLogNotWritten(const Services& services) {
    if (services.warnings->logNotWrittenTold) {
        return;
    }
    services.warnings->logNotWrittenTold = true;
    std::weak_ptr<RunWarnings> run = services.warnings;
    MessageBoxes* messages = &services.messages;
    QTimer::singleShot(0, QCoreApplication::instance(), [run, messages] {
        if (!run.expired()) { // the services, and their message boxes, are still there
            messages->Show(nullptr, CommonTexts::LogNotWritten, CommonTexts::Title, MessageIcon::Warning);
        }
    });
}

// The line about a broken answer must not break the exchange's own ending.
void LogBrokenOrWarn(BrokenArrival why, size_t bytes, const Services& services, const QObject* socket) {
    bool logged = false;
    try {
        logged = LogBrokenArrival(why, bytes, services.Envelope());
    } catch (const std::exception& fault) {
        LogFault(services, socket, std::string("logging a broken answer: ") + fault.what());
    } catch (...) {
        LogFault(services, socket, "logging a broken answer");
    }
    if (!logged) {
        WarnLogNotWritten(services);
    }
}
} // namespace

TelegramSocket::TelegramSocket(const QString& name, const Exchange& exchange, const Services& services,
                               QObject* parent)
    : QObject(parent), exchange_(exchange), services_(services), socket_(new QTcpSocket(this)),
      connectTimer_(new QTimer(this)) {
    setObjectName(name);
    socket_->setObjectName(name);
    connectTimer_->setSingleShot(true);
    connectTimer_->setInterval(ConnectTimeoutMs);
    connect(connectTimer_, &QTimer::timeout, this, [this] {
        Close();
        answered_ = true;
        emit Failed(Failure::CannotConnect);
    });
    connect(socket_, &QTcpSocket::connected, this, [this] {
        connectTimer_->stop();
        connected_ = true;
        emit Connected();
    });
    connect(socket_, &QTcpSocket::readyRead, this, &TelegramSocket::OnReadyRead);
    connect(socket_, &QTcpSocket::errorOccurred, this, &TelegramSocket::OnError);
}

void TelegramSocket::Open(const ServerAddress& address) {
    Close();
    connectTimer_->start();
    socket_->connectToHost(QString::fromStdString(address.host), address.port);
}

void TelegramSocket::Close() {
    LogCutShort();
    // A closed socket must not report the closing as a failure of the next request.
    socket_->blockSignals(true);
    socket_->abort();
    socket_->blockSignals(false);
    connectTimer_->stop();
    assembler_.Reset();
    connected_ = false;
    sent_ = false;
    answered_ = false;
}

EnvelopeError TelegramSocket::Send(std::string_view telegramBuffer) {
    SealedRequest sealed = SealRequest(exchange_, telegramBuffer, services_.Envelope());
    if (sealed.error == EnvelopeError::None && !sealed.logged) {
        WarnLogNotWritten(services_);
    }
    if (sealed.error != EnvelopeError::None) {
        return sealed.error;
    }
    assembler_.Reset();
    answered_ = false;
    sent_ = true;
    socket_->write(sealed.wire.data(), static_cast<qint64>(sealed.wire.size()));
    return EnvelopeError::None;
}

void TelegramSocket::OnReadyRead() {
    QByteArray bytes = socket_->readAll();
    if (answered_) {
        return;
    }
    switch (assembler_.Feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())))) {
    case TelegramAssembler::Status::Incomplete:
        return;
    case TelegramAssembler::Status::Malformed:
        answered_ = true;
        LogBrokenOrWarn(BrokenArrival::MalformedPrefix, assembler_.ReceivedBytes(), services_, this);
        emit Failed(Failure::UnreadableAnswer);
        return;
    case TelegramAssembler::Status::Complete:
        break;
    }
    answered_ = true;
    OpenedAnswer opened;
    try {
        opened = OpenAnswer(exchange_, assembler_.CipherText(), services_.Envelope());
    } catch (const std::exception& fault) {
        // An answer that could not be opened is as good as none: the window ends the exchange so.
        LogFault(services_, this, std::string("opening an answer: ") + fault.what());
        emit Failed(Failure::UnreadableAnswer);
        return;
    } catch (...) {
        LogFault(services_, this, "opening an answer");
        emit Failed(Failure::UnreadableAnswer);
        return;
    }
    if (!opened.logged) {
        WarnLogNotWritten(services_);
    }
    if (opened.error != EnvelopeError::None) {
        emit Failed(Failure::UnreadableAnswer);
        return;
    }
    emit Answered(opened.decrypted);
}

void TelegramSocket::OnError(QAbstractSocket::SocketError) {
    connectTimer_->stop();
    // A connection closed before anything was sent on it leaves nobody waiting: the card-reader window
    // keeps such a connection open after a short read, and the server may drop it as idle.
    if (answered_ || (connected_ && !sent_)) {
        return;
    }
    LogCutShort();
    answered_ = true;
    emit Failed(connected_ ? Failure::ConnectionLost : Failure::CannotConnect);
}

// Part of an answer came and the connection ended before the rest: the exchange is over either way.
void TelegramSocket::LogCutShort() {
    if (!sent_ || answered_ || assembler_.ReceivedBytes() == 0) {
        return;
    }
    answered_ = true;
    LogBrokenOrWarn(BrokenArrival::CutShort, assembler_.ReceivedBytes(), services_, this);
}

const QString& FailureText(TelegramSocket::Failure failure) {
    return failure == TelegramSocket::Failure::UnreadableAnswer ? CommonTexts::UnreadableAnswer
                                                                : CommonTexts::CannotConnect;
}

} // namespace dovra
