#include "support/ScriptedPeer.h"

#include "transport/Envelope.h"

#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace dovra;

ScriptedPeer::ScriptedPeer(const CipherLibrary& cipher) : cipher_(cipher) {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, &ScriptedPeer::OnConnection);
}

bool ScriptedPeer::WaitForRequests(size_t n, int timeoutMs) {
    return QTest::qWaitFor([&] { return requests.size() >= n; }, timeoutMs);
}

void ScriptedPeer::OnConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        ++connections;
        auto assembler = std::make_shared<TelegramAssembler>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, assembler] {
            QByteArray bytes = socket->readAll();
            if (assembler->Feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))) !=
                TelegramAssembler::Status::Complete) {
                return;
            }
            std::string decrypted;
            bool readable =
                DecryptToBuffer(cipher_, assembler->CipherText(), 2000, decrypted) == EnvelopeError::None;
            requests.push_back(readable ? std::string(RequestFrame(decrypted)) : "<undecryptable>");
            if (!readable || script_.empty()) {
                return;
            }
            auto [telegram, delivery] = script_.front();
            script_.pop_front();
            std::string wire = telegram;
            if (delivery != Delivery::Raw) {
                EncryptToWire(cipher_, FramePlainAnswer(telegram), 2000, wire);
            }
            // Pieces go out apart in time, so the client surely sees two arrivals.
            size_t first = delivery == Delivery::Never      ? 0
                           : delivery == Delivery::CutShort ? 100
                           : delivery == Delivery::InPieces ? wire.size() / 2
                                                            : wire.size();
            socket->write(wire.data(), static_cast<qint64>(first));
            if (delivery == Delivery::CutShort) {
                socket->disconnectFromHost();
            } else if (delivery == Delivery::InPieces) {
                socket->flush();
                QTimer::singleShot(50, socket, [socket, rest = wire.substr(first)] {
                    socket->write(rest.data(), static_cast<qint64>(rest.size()));
                });
            }
        });
    }
}
