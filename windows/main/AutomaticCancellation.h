#pragma once

#include "counter/CancellationQueue.h"
#include "windows/common/Guard.h"
#include "windows/common/Services.h"
#include "windows/common/TelegramSocket.h"

#include <QObject>
#include <QTimer>

#include <string>

namespace dovra {

// The connection that sends the automatic cancellations: each on a connection of its own without
// waiting for an answer, tried again every ten seconds, and at the next start, until it has left. It
// lives as long as the program, so a logout does not lose one.
class AutomaticCancellation : public QObject {
    Q_OBJECT
public:
    explicit AutomaticCancellation(
        const Services& services, QObject* parent = nullptr,
        CancellationJournal::FileRemover remover = CancellationJournal::RemoveFile);

    CancellationQueue& queue() { return queue_; }

    // Turns what an earlier run left open into cancellations and starts sending them.
    void Start();
    void SettleApproval(const std::string& approvalId);
    // False when the cancellation could not be journalled; otherwise it goes out now.
    bool CancelApproval(const std::string& approvalId, const std::string& approvalTelegram);
    bool Settled() const { return queue_.Settled(); }

    TelegramSocket* sckMain2;
    QTimer* retryTimer;

signals:
    // Once a run: an answered approval's outcome could not be written to the journal.
    void OutcomeNotRecorded();
    // Every cancellation has left; none waits.
    void AllSent();

private:
    auto Guarded(void (AutomaticCancellation::*step)()) {
        return GuardedSlot(services_, this, step, &AutomaticCancellation::RecoverFromFault);
    }
    bool RecoverFromFault();
    void Retry();
    void SendNext();
    void sckMain2_Connect();
    void Finish(bool sent);
    void KeepRetrying();

    const Services& services_;
    CancellationQueue queue_;
    bool toldFault_ = false;
};

} // namespace dovra
