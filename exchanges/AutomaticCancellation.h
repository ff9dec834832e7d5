#pragma once

#include "counter/CancellationQueue.h"
#include "exchanges/TelegramSocket.h"

#include <QObject>
#include <QTimer>

#include <optional>
#include <string>

namespace dovra {

class Exchanges;

// The connection that sends the automatic cancellations: each on a connection of its own, under the
// merchant it belongs to, tried again every ten seconds and at the next start until it has left. The
// server's answer is read when one comes within a few seconds: one that says the merchant has no
// session from this address keeps the cancellation for that merchant's next login.
class AutomaticCancellation : public QObject {
    Q_OBJECT
public:
    AutomaticCancellation(Exchanges& desk, Counter& counter, CancellationJournal::FileRemover remover,
                          QObject* parent);

    CancellationQueue& queue() { return queue_; }

    // A merchant has logged in: what waits for that merchant goes now.
    void LoggedIn();
    // The approval's journal entry, before it leaves; nothing when the disk refused it.
    std::optional<std::string> RecordApproval(const std::string& telegram);
    void WithdrawApproval(const std::string& approvalId);
    // True when the merchant is to hear, once, that the answered approval's outcome was not recorded.
    bool SettleApproval(const std::string& approvalId, bool approved);
    // Goes out now; false when the journal could not record it, which the merchant is told.
    bool CancelApproval(const std::string& approvalId, const std::string& approvalTelegram);
    bool Settled() const { return queue_.Settled(); }

signals:
    // Every cancellation that can go has left; none waits.
    void AllSent();

private:
    template <class Step> auto Guarded(Step step);
    void Recover();
    void Retry();
    void SendNext();
    void OnConnected();
    void OnWritten();
    void OnAnswered(const std::string& decrypted);
    void Finish(CancellationQueue::Ending ending);
    void KeepRetrying();

    Exchanges& desk_;
    CancellationQueue queue_;
    TelegramSocket* sckMain2_;
    QTimer* retryTimer_;
    QTimer* answerWait_;
    bool written_ = false;
    bool toldFault_ = false;
};

} // namespace dovra
