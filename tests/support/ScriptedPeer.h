#pragma once

#include "transport/CipherLibrary.h"

#include <QObject>
#include <QTcpServer>

#include <deque>
#include <string>
#include <vector>

// A server on a loopback port that decrypts and records each request and answers as the test says:
// whole, in pieces, not at all, half and then the connection closed, or raw bytes that are no answer.
class ScriptedPeer : public QObject {
public:
    enum class Delivery { Whole, InPieces, Never, CutShort, Raw };

    explicit ScriptedPeer(const dovra::CipherLibrary& cipher);

    quint16 port() const { return server_.serverPort(); }
    // Queues the answer for the next request: the telegram after its length prefix, or for Raw the bytes.
    void Answer(const std::string& telegram, Delivery delivery = Delivery::Whole) {
        script_.push_back({telegram, delivery});
    }
    // Waits (running the event loop) until n requests have come.
    bool WaitForRequests(size_t n, int timeoutMs = 5000);

    // A request's message type and cancel type, as "06002".
    std::string KindOf(size_t request) const {
        return requests.at(request).substr(4, 4) + requests[request].substr(4 + 190, 1);
    }

    // Each request's plain frame, length prefix first.
    std::vector<std::string> requests;
    int connections = 0;

private:
    void OnConnection();

    const dovra::CipherLibrary& cipher_;
    QTcpServer server_;
    std::deque<std::pair<std::string, Delivery>> script_;
};
