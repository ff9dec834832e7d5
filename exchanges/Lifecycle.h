#pragma once

#include "exchanges/ExchangeOutcome.h"
#include "exchanges/Exchanges.h"
#include "exchanges/TelegramSocket.h"

#include <QObject>
#include <QTimer>

#include <string>

namespace dovra {

// The life every exchange with a server shares: checked, connected, built once connected, recorded,
// sent, timed out, read, and settled or given up. Each kind of exchange fills in the steps that are its
// own and tells its outcome once; the socket, the time-out and the guard against faults are kept here.
class Lifecycle : public QObject {
    Q_OBJECT
public:
    // A request is on its way: connecting, or sent and waiting for its answer.
    bool Busy() const { return stage_ != Stage::Idle; }
    // Breaks off: the connection closes. A request already sent ends as unanswered, without a word;
    // one not yet sent ends with no outcome at all.
    void Stop();

protected:
    Lifecycle(Exchanges& desk, const char* socketName, const Exchange& envelope, QObject* parent);

    // Any earlier connection is closed first; the request is built when this one is made.
    void Connect(const ServerAddress& server);
    // Nothing was sent and nothing will be.
    void Refuse(Refusal why, const QString& message);
    // The exchange's own time-out for its answer, started once the request has left.
    void TimeOutAfter(const char* name, int milliseconds);

    // The request, built from the value handed in, with the moment of the connection.
    virtual std::string Build() = 0;
    // Made durable before the request leaves; false refuses it.
    virtual bool Record(const std::string&) { return true; }
    // The request recorded could not be sent after all.
    virtual void Withdraw() {}
    // The request has left.
    virtual void AfterSending() {}
    virtual void Read(const std::string& decrypted) = 0;
    // The exchange ends without an answer read, with this outcome to tell.
    virtual void Conclude(ExchangeOutcome outcome) = 0;

    Counter& counter() { return desk_.counter_; }
    // Where a fault is said to have happened: the socket, by its name.
    const QObject* where() const { return socket_; }
    const ServerAddress& lookupServer() const { return desk_.lookupServer_; }
    Exchanges& desk_;

private:
    void OnConnected();
    void OnAnswered(const std::string& decrypted);
    void OnFailed(TelegramSocket::Failure failure);
    void OnTimeout();
    void Close();
    template <class Step> void Guarded(Step step);

    enum class Stage { Idle, Connecting, Sent } stage_ = Stage::Idle;
    TelegramSocket* socket_;
    QTimer* timeout_ = nullptr;
};

} // namespace dovra
