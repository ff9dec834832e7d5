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

void ScriptedPeer::Answer(const std::string& telegram, Delivery delivery) {
    script_.push_back({telegram, delivery});
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
            if (DecryptToBuffer(cipher_, assembler->CipherText(), 2000, decrypted) != EnvelopeError::None) {
                requests.push_back("<undecryptable>");
                return;
            }
            requests.push_back(std::string(RequestFrame(decrypted)));
            if (script_.empty()) {
                return;
            }
            Scripted next = script_.front();
            script_.pop_front();
            std::string wire;
            EncryptToWire(cipher_, FramePlainAnswer(next.telegram), 2000, wire);
            switch (next.delivery) {
            case Delivery::Never:
                return;
            case Delivery::Whole:
                socket->write(wire.data(), static_cast<qint64>(wire.size()));
                return;
            case Delivery::Garbage:
                socket->write("0120" + QByteArray(120, 'A'));
                return;
            case Delivery::BadPrefix:
                socket->write("x120" + QByteArray(120, 'A'));
                return;
            case Delivery::CutShort:
                socket->write(wire.data(), 100);
                socket->disconnectFromHost();
                return;
            case Delivery::InPieces:
                break;
            }
            // The second half goes out later, so the client surely sees two arrivals.
            size_t half = wire.size() / 2;
            socket->write(wire.data(), static_cast<qint64>(half));
            socket->flush();
            std::string rest = wire.substr(half);
            QTimer::singleShot(
                50, socket, [socket, rest] { socket->write(rest.data(), static_cast<qint64>(rest.size())); });
        });
    }
}
