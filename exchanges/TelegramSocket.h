#pragma once

#include "counter/Settings.h"
#include "transport/Envelope.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <string>

namespace dovra {

class Exchanges;

// One request per connection: close, connect, send from the connected event, collect the answer until
// its length prefix is complete, decrypt and log it once. Each exchange owns one, named as its socket.
class TelegramSocket : public QObject {
    Q_OBJECT
public:
    enum class Failure {
        CannotConnect,    // refused, unreachable, unknown host
        ConnectionLost,   // closed or broken before the whole answer came
        UnreadableAnswer, // a length prefix that is not one, or a cipher text that does not decrypt
    };
    Q_ENUM(Failure)

    TelegramSocket(const QString& name, const Exchange& exchange, Exchanges& desk, QObject* parent);

    // Any earlier connection is closed first.
    void Open(const ServerAddress& address);
    void Close();
    // Frames, encrypts, logs and writes one request. Nothing goes on the wire unless all of that works.
    EnvelopeError Send(std::string_view telegram);
    // Everything written has left for the peer.
    bool Flushed() const { return socket_->bytesToWrite() == 0; }

signals:
    void Connected();
    void BytesWritten();
    void Answered(const std::string& decrypted);
    void Failed(dovra::TelegramSocket::Failure failure);

private:
    void OnReadyRead();
    void OnError(QAbstractSocket::SocketError error);
    void LogCutShort();
    void LogBroken(BrokenArrival why, size_t bytes);

    Exchange exchange_;
    Exchanges& desk_;
    QTcpSocket* socket_;
    QTimer* connectTimer_;
    TelegramAssembler assembler_;
    bool connected_ = false;
    bool sent_ = false;
    bool answered_ = false;
};

} // namespace dovra
