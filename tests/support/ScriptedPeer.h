#pragma once

#include "transport/CipherLibrary.h"

#include <QObject>
#include <QTcpServer>

#include <deque>
#include <string>
#include <vector>

// A server on a loopback port that decrypts and records each request and answers as the test says:
// whole, in pieces, or not at all; or broken: a cipher text that does not decrypt, a length prefix that
// is not one, or half the answer and then the connection closed.
class ScriptedPeer : public QObject {
public:
    enum class Delivery { Whole, InPieces, Never, Garbage, BadPrefix, CutShort };

    explicit ScriptedPeer(const dovra::CipherLibrary& cipher);

    quint16 port() const { return server_.serverPort(); }
    // Queues the answer for the next request: the telegram after its length prefix.
    void Answer(const std::string& telegram, Delivery delivery = Delivery::Whole);
    // Waits (running the event loop) until n requests have come.
    bool WaitForRequests(size_t n, int timeoutMs = 5000);

    // Each request's plain frame, length prefix first.
    std::vector<std::string> requests;
    int connections = 0;

private:
    struct Scripted {
        std::string telegram;
        Delivery delivery;
    };
    void OnConnection();

    const dovra::CipherLibrary& cipher_;
    QTcpServer server_;
    std::deque<Scripted> script_;
};
