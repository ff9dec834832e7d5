#include "server/ApprovalServer.h"

#include "foundations/AnsiText.h"

#include "transport/Envelope.h"
#include "transport/ResponseCodes.h"

#include <QDateTime>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace dovra {

struct ApprovalServer::Connection {
    enum class State { Receiving, Deciding, Answering };

    QTcpSocket* socket = nullptr; // null once the client has gone while its request was decided
    std::chrono::steady_clock::time_point deadline;
    TelegramAssembler assembler;
    Port port = Port::Approval;
    State state = State::Receiving;
    std::string peer;    // address and port, for the log
    std::string address; // without the port
    std::string summary; // MsgType, merchant and trace number, for the exchange log
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

ApprovalServer::ApprovalServer(const CipherLibrary& cipher, Ledger& ledger, const Clock& clock,
                               ServerSettings settings)
    : cipher_(cipher), teller_(ledger, clock), settings_(std::move(settings)) {
    if (!settings_.log) {
        settings_.log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    }
    teller_.SetLog([log = settings_.log](const std::string& line) {
        log(QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss.zzz").toStdString() + " " + line);
    });
    worker_ = std::make_unique<LedgerWorker>(ledger, teller_, [this](std::vector<LedgerResult> results) {
        QMetaObject::invokeMethod(
            this, [this, results = std::move(results)]() mutable { Deliver(std::move(results)); },
            Qt::QueuedConnection);
    });
    // One sweep for all connections rather than a timer each: cheaper, and a connection is never
    // removed from inside a signal of its own timer.
    sweep_.setInterval(
        std::clamp(settings_.idleLimit / 4, std::chrono::milliseconds(20), std::chrono::milliseconds(1000)));
    connect(&sweep_, &QTimer::timeout, this, [this] { DropExpired(); });
    sweep_.start();
    connect(&approvals_, &QTcpServer::newConnection, this, [this] { Accept(approvals_, Port::Approval); });
    connect(&lookups_, &QTcpServer::newConnection, this, [this] { Accept(lookups_, Port::Lookup); });
}

ApprovalServer::~ApprovalServer() {
    Stop();
    for (auto& [id, connection] : connections_) {
        if (connection->socket != nullptr) {
            connection->socket->disconnect(this);
            connection->socket->abort();
            delete connection->socket;
        }
    }
}

bool ApprovalServer::Listen(const Endpoint& approvals, const Endpoint& lookups, QString& error) {
    for (auto [listener, endpoint] : {std::pair{&approvals_, approvals}, std::pair{&lookups_, lookups}}) {
        // Deep enough that a flood's burst of connections does not push a counter's out of the queue.
        listener->setListenBacklogSize(4096);
        if (!listener->listen(endpoint.host, endpoint.port)) {
            error = "cannot listen on " + FormatEndpoint(endpoint.host, endpoint.port) + ": " +
                    listener->errorString();
            approvals_.close();
            lookups_.close();
            return false;
        }
    }
    return true;
}

Endpoint ApprovalServer::Address(Port port) const {
    const QTcpServer& listener = port == Port::Approval ? approvals_ : lookups_;
    return {listener.serverAddress(), listener.serverPort()};
}

void ApprovalServer::Stop() {
    approvals_.close();
    lookups_.close();
    worker_->Stop();
}

ApprovalServer::Connection* ApprovalServer::Find(std::uint64_t id) {
    auto found = connections_.find(id);
    return found == connections_.end() ? nullptr : found->second.get();
}

void ApprovalServer::Forget(std::uint64_t id) {
    auto found = connections_.find(id);
    if (found == connections_.end()) {
        return;
    }
    auto count = perAddress_.find(found->second->address);
    if (count != perAddress_.end()) {
        if (--count->second < settings_.maxPerAddress) {
            refusing_.erase(count->first);
        }
        if (count->second <= 0) {
            perAddress_.erase(count);
        }
    }
    connections_.erase(found);
}

void ApprovalServer::Accept(QTcpServer& listener, Port port) {
    while (QTcpSocket* socket = listener.nextPendingConnection()) {
        QHostAddress from = socket->peerAddress();
        bool isV4 = false;
        quint32 v4 = from.toIPv4Address(&isV4);
        std::string address = (isV4 ? QHostAddress(v4) : from).toString().toStdString();
        int& fromThere = perAddress_[address];
        bool full = static_cast<int>(connections_.size()) >= settings_.maxConnections;
        if (full || fromThere >= settings_.maxPerAddress) {
            socket->abort();
            delete socket;
            // One line when an address reaches its limit, not one per connection of a flood.
            if (full) {
                settings_.log("connection from " + address +
                              " refused: " + std::to_string(connections_.size()) + " open in all");
            } else if (refusing_.insert(address).second) {
                settings_.log("connections from " + address + " refused while " + std::to_string(fromThere) +
                              " are open from there");
            }
            if (fromThere == 0) {
                perAddress_.erase(address);
            }
            continue;
        }
        ++fromThere;
        std::uint64_t id = nextId_++;
        auto connection = std::make_unique<Connection>();
        connection->socket = socket;
        connection->port = port;
        connection->address = address;
        connection->peer = FormatEndpoint(from, socket->peerPort()).toStdString();
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, id] { Read(id); });
        connect(socket, &QTcpSocket::disconnected, this, [this, id] { Closed(id); });
        connection->deadline = connection->start + settings_.idleLimit;
        connections_.emplace(id, std::move(connection));
        // Bytes may have come with the connection itself.
        Read(id);
    }
}

void ApprovalServer::Read(std::uint64_t id) {
    Connection* connection = Find(id);
    if (connection == nullptr || connection->socket == nullptr) {
        return;
    }
    QByteArray bytes = connection->socket->readAll();
    if (connection->state != Connection::State::Receiving || bytes.isEmpty()) {
        return; // one request per connection: anything after it is not read
    }
    switch (
        connection->assembler.Feed(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())))) {
    case TelegramAssembler::Status::Incomplete:
        return;
    case TelegramAssembler::Status::Malformed:
        Drop(id, "dropped: the length prefix is not a count of 1 to 999");
        return;
    case TelegramAssembler::Status::Complete:
        Received(id, *connection);
        return;
    }
}

void ApprovalServer::Received(std::uint64_t id, Connection& connection) {
    std::string decrypted;
    if (DecryptToBuffer(cipher_, connection.assembler.CipherText(), CipherBuffer, decrypted) !=
        EnvelopeError::None) {
        Drop(id, "dropped: the telegram cannot be decrypted");
        return;
    }
    ReadResult read = ReadRequest(decrypted, connection.port);
    if (read.kind == ReadResult::Kind::Unreadable) {
        Drop(id, "dropped: " + read.problem);
        return;
    }
    read.request.peer = connection.address;
    const RequestFields& fields = read.request.fields;
    connection.summary = fields.MsgType + " merchant=" + std::string(TrimSpaces(fields.MerchantNo)) +
                         " trace=" + fields.TraceNo;
    if (read.kind == ReadResult::Kind::Malformed) {
        Send(id, connection, teller_.Refuse(read.request, RespCode::FormatError, read.problem));
        return;
    }
    connection.state = Connection::State::Deciding;
    worker_->Submit({id, std::move(read.request)});
}

void ApprovalServer::Deliver(std::vector<LedgerResult> results) {
    for (LedgerResult& result : results) {
        Connection* connection = Find(result.ticket);
        if (connection == nullptr) {
            continue;
        }
        if (connection->socket == nullptr) {
            Log(*connection, "-> " + result.outcome.respCode + " " + result.outcome.note + " (client gone)");
            Forget(result.ticket);
            continue;
        }
        Send(result.ticket, *connection, result.outcome);
    }
}

void ApprovalServer::Send(std::uint64_t id, Connection& connection, const Outcome& outcome) {
    std::string wire;
    EnvelopeError error = EncryptToWire(cipher_, outcome.answer, CipherBuffer, wire);
    std::string line = "-> " + outcome.respCode;
    if (!outcome.note.empty()) {
        line += " " + outcome.note;
    }
    if (outcome.replayed) {
        line += " (first answer again)";
    }
    if (error != EnvelopeError::None) {
        Drop(id, line + ", not sent: " + DescribeEnvelopeError(error));
        return;
    }
    connection.state = Connection::State::Answering;
    QTcpSocket* socket = connection.socket;
    if (socket->state() != QAbstractSocket::ConnectedState) {
        Log(connection, line + " (client gone)");
        return; // its disconnected signal is being handled and removes the connection
    }
    Log(connection, line);
    // A client that never takes its answer is let go after the same limit.
    connection.deadline = std::chrono::steady_clock::now() + settings_.idleLimit;
    socket->write(wire.data(), static_cast<qint64>(wire.size()));
    // Written now rather than on the next turn of the loop; the close may then come at once and
    // remove the connection.
    socket->flush();
    socket->disconnectFromHost();
}

void ApprovalServer::Closed(std::uint64_t id) {
    Connection* connection = Find(id);
    if (connection == nullptr || connection->socket == nullptr) {
        return;
    }
    // A client may close right after sending, as the automatic cancellation does: what it sent counts.
    if (connection->state == Connection::State::Receiving && connection->socket->bytesAvailable() > 0) {
        Read(id);
        connection = Find(id);
        if (connection == nullptr || connection->socket == nullptr) {
            return;
        }
    }
    connection->socket->disconnect(this);
    connection->socket->deleteLater();
    connection->socket = nullptr;
    if (connection->state == Connection::State::Deciding) {
        return; // the ledger's answer is still logged when it comes
    }
    if (connection->state == Connection::State::Receiving) {
        Log(*connection, "closed by the client before a whole telegram");
    }
    Forget(id);
}

void ApprovalServer::Drop(std::uint64_t id, const std::string& reason) {
    Connection* connection = Find(id);
    if (connection == nullptr) {
        return;
    }
    if (connection->state != Connection::State::Answering) {
        Log(*connection, reason);
    }
    if (connection->socket != nullptr) {
        connection->socket->disconnect(this);
        connection->socket->abort();
        connection->socket->deleteLater();
    }
    Forget(id);
}

void ApprovalServer::DropExpired() {
    auto now = std::chrono::steady_clock::now();
    std::vector<std::uint64_t> expired;
    for (const auto& [id, connection] : connections_) {
        if (connection->state != Connection::State::Deciding && now > connection->deadline) {
            expired.push_back(id);
        }
    }
    for (std::uint64_t id : expired) {
        Drop(id, "dropped: nothing complete within the time limit");
    }
}

void ApprovalServer::Log(const Connection& connection, const std::string& text) const {
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - connection.start)
                    .count();
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, " %.1f ms", ms);
    std::string line = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss.zzz").toStdString() + " " +
                       connection.peer + (connection.port == Port::Lookup ? " lookup " : " approval ");
    if (!connection.summary.empty()) {
        line += connection.summary + " ";
    }
    settings_.log(line + text + elapsed);
}

} // namespace dovra
