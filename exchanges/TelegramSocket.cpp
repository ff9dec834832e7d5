#include "exchanges/TelegramSocket.h"

#include "exchanges/Exchanges.h"
#include "exchanges/Guard.h"

namespace dovra {

namespace {
// A server that takes longer than this to accept is treated as unreachable, so the window that waits
// is never left hanging on the platform's own connection time-out of minutes.
constexpr int ConnectTimeoutMs = 10000;
} // namespace

// The line about a broken answer must not break the exchange's own ending.
void TelegramSocket::LogBroken(BrokenArrival why, size_t bytes) {
    bool logged = false;
    try {
        logged = LogBrokenArrival(why, bytes, desk_.Envelope());
    } catch (const std::exception& fault) {
        LogFault(desk_.programLog(), this, std::string("logging a broken answer: ") + fault.what());
    } catch (...) {
        LogFault(desk_.programLog(), this, "logging a broken answer");
    }
    if (!logged) {
        desk_.WarnLogNotWritten();
    }
}

TelegramSocket::TelegramSocket(const QString& name, const Exchange& exchange, Exchanges& desk,
                               QObject* parent)
    : QObject(parent), exchange_(exchange), desk_(desk), socket_(new QTcpSocket(this)),
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
    connect(socket_, &QTcpSocket::bytesWritten, this, &TelegramSocket::BytesWritten);
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

EnvelopeError TelegramSocket::Send(std::string_view telegram) {
    SealedRequest sealed = SealRequest(exchange_, telegram, desk_.Envelope());
    if (sealed.error == EnvelopeError::None && !sealed.logged) {
        desk_.WarnLogNotWritten();
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
        LogBroken(BrokenArrival::MalformedPrefix, assembler_.ReceivedBytes());
        emit Failed(Failure::UnreadableAnswer);
        return;
    case TelegramAssembler::Status::Complete:
        break;
    }
    answered_ = true;
    OpenedAnswer opened;
    try {
        opened = OpenAnswer(exchange_, assembler_.CipherText(), desk_.Envelope());
    } catch (const std::exception& fault) {
        // An answer that could not be opened is as good as none: the exchange ends so.
        LogFault(desk_.programLog(), this, std::string("opening an answer: ") + fault.what());
        emit Failed(Failure::UnreadableAnswer);
        return;
    } catch (...) {
        LogFault(desk_.programLog(), this, "opening an answer");
        emit Failed(Failure::UnreadableAnswer);
        return;
    }
    if (!opened.logged) {
        desk_.WarnLogNotWritten();
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
    LogBroken(BrokenArrival::CutShort, assembler_.ReceivedBytes());
}

} // namespace dovra
