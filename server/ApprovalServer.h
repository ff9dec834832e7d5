#pragma once

#include "foundations/Clock.h"
#include "server/Endpoint.h"
#include "server/LedgerWorker.h"
#include "server/Teller.h"
#include "transport/CipherLibrary.h"

#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace dovra {

struct ServerSettings {
    // How long a connection may take to deliver its whole request, and later to take its answer. A
    // counter sends its request at once; a slow sender only holds a connection.
    std::chrono::milliseconds idleLimit{5000};
    int maxConnections = 1024;
    // So that one address cannot hold every connection: a counter has one or two open at a time.
    int maxPerAddress = 32;
    // One line per exchange; standard error when not set.
    std::function<void(const std::string&)> log;
};

// The network side: both listening ports, one request and one answer per connection, decryption and
// encryption on this thread's event loop, the decisions on the ledger's own thread.
class ApprovalServer : public QObject {
public:
    ApprovalServer(const CipherLibrary& cipher, Ledger& ledger, const Clock& clock,
                   ServerSettings settings = {});
    ~ApprovalServer() override;

    bool Listen(const Endpoint& approvals, const Endpoint& lookups, QString& error);
    Endpoint Address(Port port) const;

    // Stops accepting and finishes what the ledger has already been given.
    void Stop();

private:
    struct Connection;

    void Accept(QTcpServer& listener, Port port);
    void Read(std::uint64_t id);
    void Received(std::uint64_t id, Connection& connection);
    void Closed(std::uint64_t id);
    void Send(std::uint64_t id, Connection& connection, const Outcome& outcome);
    void Drop(std::uint64_t id, const std::string& reason);
    void DropExpired();
    void Deliver(std::vector<LedgerResult> results);
    void Log(const Connection& connection, const std::string& text) const;
    Connection* Find(std::uint64_t id);
    void Forget(std::uint64_t id);

    const CipherLibrary& cipher_;
    Teller teller_;
    ServerSettings settings_;
    QTcpServer approvals_;
    QTcpServer lookups_;
    QTimer sweep_;
    std::unordered_map<std::uint64_t, std::unique_ptr<Connection>> connections_;
    std::unordered_map<std::string, int> perAddress_;
    std::unordered_set<std::string> refusing_; // addresses at their limit, told once
    std::uint64_t nextId_ = 1;
    // Declared last so that it stops, and stops calling back, before anything above goes away.
    std::unique_ptr<LedgerWorker> worker_;
};

} // namespace dovra
