#include "windows/common/TelegramSocket.h"

namespace dovra {

TelegramSocket::TelegramSocket(const QString& name, const Exchange& exchange, const Services& services,
                               QObject* parent)
    : QObject(parent), exchange_(exchange), services_(services), socket_(new QTcpSocket(this)) {
    setObjectName(name);
    socket_->setObjectName(name);
    connect(socket_, &QTcpSocket::connected, this, [this] {
        connected_ = true;
        emit Connected();
    });
    connect(socket_, &QTcpSocket::readyRead, this, &TelegramSocket::OnReadyRead);
    connect(socket_, &QTcpSocket::errorOccurred, this, &TelegramSocket::OnError);
}

void TelegramSocket::Open(const ServerAddress& address) {
    Close();
    socket_->connectToHost(address.host, address.port);
}

void TelegramSocket::Close() {
    // A closed socket must not report the closing as a failure of the next request.
    socket_->blockSignals(true);
    socket_->abort();
    socket_->blockSignals(false);
    assembler_.Reset();
    connected_ = false;
    answered_ = false;
}

EnvelopeError TelegramSocket::Send(std::string_view telegramBuffer) {
    SealedRequest sealed = SealRequest(exchange_, telegramBuffer, services_.Envelope());
    if (sealed.error != EnvelopeError::None) {
        return sealed.error;
    }
    assembler_.Reset();
    answered_ = false;
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
        emit Failed(Failure::UnreadableAnswer);
        return;
    case TelegramAssembler::Status::Complete:
        break;
    }
    answered_ = true;
    OpenedAnswer opened = OpenAnswer(exchange_, assembler_.CipherText(), services_.Envelope());
    if (opened.error != EnvelopeError::None) {
        emit Failed(Failure::UnreadableAnswer);
        return;
    }
    emit Answered(opened.decrypted);
}

void TelegramSocket::OnError(QAbstractSocket::SocketError) {
    if (answered_) {
        return;
    }
    answered_ = true;
    emit Failed(connected_ ? Failure::ConnectionLost : Failure::CannotConnect);
}

} // namespace dovra
