#pragma once

#include "windows/common/Guard.h"
#include "windows/common/Services.h"
#include "windows/common/TelegramSocket.h"
#include "windows/main/CancellationJournal.h"

#include <QObject>
#include <QTimer>

#include <optional>
#include <set>
#include <string>

namespace dovra {

// The cancellation of an approval whose outcome is unknown. It is journalled before it is sent, sent on
// a connection of its own without waiting for an answer, and tried again every ten seconds, and at the
// next start, until it has left; an approval still open when the program ended gets one at the next
// start. It lives as long as the program, so a logout does not lose it.
class AutomaticCancellation : public QObject {
    Q_OBJECT
public:
    explicit AutomaticCancellation(
        const Services& services, QObject* parent = nullptr,
        CancellationJournal::FileRemover remover = CancellationJournal::RemoveFile);

    CancellationJournal& journal() { return journal_; }

    // Turns what an earlier run left open into cancellations and starts sending them.
    void Start();
    // The approval was answered: whatever the disk does, it is never cancelled. When the journal cannot
    // record that, the outcome is kept here and written again at every retry.
    void SettleApproval(const std::string& approvalId);
    // The approval timed out: its cancellation, built from the approval as it was sent, replaces its
    // journal entry and goes out now. False when it could not be journalled.
    bool CancelApproval(const std::string& approvalId, const std::string& approvalTelegram);

    // Nothing waits to be sent.
    bool Settled() const;

    TelegramSocket* sckMain2;
    QTimer* retryTimer;

signals:
    // Once a run: an answered approval's outcome could not be written to the journal.
    void OutcomeNotRecorded();

private:
    auto Guarded(void (AutomaticCancellation::*step)()) {
        return GuardedSlot(services_, this, step, &AutomaticCancellation::RecoverFromFault);
    }
    bool RecoverFromFault();
    void Retry();
    void SendNext();
    void sckMain2_Connect();
    void Finish(bool sent);

    const Services& services_;
    CancellationJournal journal_;
    std::optional<CancellationJournal::Entry> current_;
    std::set<std::string> answeredNotRecorded_;
    bool toldNotRecorded_ = false;
    bool toldFault_ = false;
};

// The "0600" that cancels the given approval telegram: CancelType "2", no teacher code, and the moment
// of now in its header. Its TransDate and TransTime are now too at a time-out; for an approval an
// earlier run left open they are the approval's own, since the server looks for the approval in the ten
// minutes before them and the program may start again much later. Built in the shared request fields,
// as every request is.
enum class CancellationMoment { Now, OfApproval };
std::string BuildAutomaticCancellation(const std::string& approvalTelegram, const Services& services,
                                       CancellationMoment moment);

} // namespace dovra
