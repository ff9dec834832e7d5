#pragma once

#include "transport/Envelope.h"
#include "windows/common/Services.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <string>

namespace dovra {

// One request per connection: close, connect, send from the connected event, collect the answer until
// its length prefix is complete, decrypt and log it once. Windows own one of these per socket name.
class TelegramSocket : public QObject {
    Q_OBJECT
public:
    enum class Failure {
        CannotConnect,    // refused, unreachable, unknown host
        ConnectionLost,   // closed or broken before the whole answer came
        UnreadableAnswer, // a length prefix that is not one, or a cipher text that does not decrypt
    };
    Q_ENUM(Failure)

    TelegramSocket(const QString& name, const Exchange& exchange, const Services& services, QObject* parent);

    // Any earlier connection is closed first.
    void Open(const ServerAddress& address);
    void Close();
    // Frames, encrypts, logs and writes one request. Nothing goes on the wire unless all of that works.
    EnvelopeError Send(std::string_view telegramBuffer);

    QTcpSocket* socket() const { return socket_; }

signals:
    void Connected();
    void Answered(const std::string& decrypted);
    void Failed(dovra::TelegramSocket::Failure failure);

private:
    void OnReadyRead();
    void OnError(QAbstractSocket::SocketError error);
    void LogCutShort();

    Exchange exchange_;
    const Services& services_;
    QTcpSocket* socket_;
    QTimer* connectTimer_;
    TelegramAssembler assembler_;
    bool connected_ = false;
    bool sent_ = false;
    bool answered_ = false;
};

// What the merchant is told when an exchange breaks down before its answer.
const QString& FailureText(TelegramSocket::Failure failure);

} // namespace dovra
