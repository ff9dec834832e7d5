#include "tools/load/Terminal.h"

#include "transport/Envelope.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

#ifdef __linux__
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace dovra {

namespace {

constexpr int EncryptBuffer = 5000; // the login's, the largest any request uses
constexpr int DecryptBuffer = 4000;

// Binds the socket to the terminal's own address. On Linux the port is left to the connection, as for an
// unbound socket: choosing it at bind time, as Qt's bind does, costs the load tool a quarter of its
// exchanges, which the figures would then charge to the server.
bool Bind(QTcpSocket& socket, const QHostAddress& from) {
#ifdef __linux__
    if (from.protocol() == QAbstractSocket::IPv4Protocol) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(from.toIPv4Address());
        if (fd < 0 || ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one) != 0 ||
            ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            !socket.setSocketDescriptor(fd, QAbstractSocket::UnconnectedState)) {
            if (fd >= 0) {
                ::close(fd);
            }
            return false;
        }
        return true;
    }
#endif
    return socket.bind(from);
}

bool Connect(QTcpSocket& socket, const TerminalTarget& target) {
    if (!target.from.isNull() && !Bind(socket, target.from)) {
        return false;
    }
    socket.connectToHost(target.host, target.port);
    return socket.waitForConnected(target.timeoutMs);
}

void Write(QTcpSocket& socket, std::string_view bytes, const QDeadlineTimer& deadline) {
    socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    while (socket.bytesToWrite() > 0 &&
           socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
    }
}

} // namespace

std::string SealTelegram(const CipherLibrary& cipher, std::string_view telegram) {
    std::string wire;
    EncryptToWire(cipher, FramePlainRequest(telegram), EncryptBuffer, wire);
    return wire;
}

TerminalAnswer TerminalExchange(const CipherLibrary& cipher, const TerminalTarget& target,
                                std::string_view telegram) {
    TerminalAnswer answer;
    QTcpSocket socket;
    QDeadlineTimer deadline(target.timeoutMs);
    if (!Connect(socket, target)) {
        answer.status = TerminalAnswer::Status::NotConnected;
        return answer;
    }
    Write(socket, SealTelegram(cipher, telegram), deadline);
    TelegramAssembler assembler;
    while (assembler.status() == TelegramAssembler::Status::Incomplete) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return answer;
        }
        QByteArray bytes = socket.readAll();
        assembler.Feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    if (assembler.status() != TelegramAssembler::Status::Complete ||
        DecryptToBuffer(cipher, assembler.CipherText(), DecryptBuffer, answer.decrypted) !=
            EnvelopeError::None) {
        answer.status = TerminalAnswer::Status::Undecryptable;
        return answer;
    }
    answer.status = TerminalAnswer::Status::Answered;
    CutCardAnswer(answer.decrypted, answer.fields);
    CutBalanceSplit(answer.decrypted, answer.fields);
    return answer;
}

std::string SendRaw(const TerminalTarget& target, std::string_view bytes) {
    QTcpSocket socket;
    QDeadlineTimer deadline(target.timeoutMs);
    if (!Connect(socket, target)) {
        return {};
    }
    Write(socket, bytes, deadline);
    std::string received;
    while (socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())) ||
           socket.bytesAvailable() > 0) {
        QByteArray chunk = socket.readAll();
        received.append(chunk.constData(), static_cast<size_t>(chunk.size()));
    }
    return received;
}

bool SendAndClose(const TerminalTarget& target, std::string_view bytes) {
    QTcpSocket socket;
    QDeadlineTimer deadline(target.timeoutMs);
    if (!Connect(socket, target)) {
        return false;
    }
    Write(socket, bytes, deadline);
    socket.close();
    return true;
}

} // namespace dovra
