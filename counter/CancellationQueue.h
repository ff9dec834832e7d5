#pragma once

#include "counter/CancellationJournal.h"
#include "counter/Counter.h"

#include <optional>
#include <set>
#include <string>

namespace dovra {

// The automatic cancellations apart from the connection that sends them: an approval is journalled
// before it leaves; answered, it is settled; unanswered, its cancellation replaces it on disk and waits
// to be sent, one at a time, until it has left.
class CancellationQueue {
public:
    CancellationQueue(Counter& counter,
                      CancellationJournal::FileRemover remover = CancellationJournal::RemoveFile)
        : counter_(counter), journal_(counter.settings().paths().root / "Journal", std::move(remover)) {}

    CancellationJournal& journal() { return journal_; }

    // Turns what an earlier run left open into cancellations.
    void Start();
    // The approval was answered: whatever the disk does, it is never cancelled. When the journal cannot
    // record that, the outcome is kept here and written again at every retry. True the first time in a
    // run that happens, for the merchant to hear of it once.
    bool SettleApproval(const std::string& approvalId);
    // The approval timed out: its cancellation, built from the approval as it was sent, replaces its
    // journal entry. False when it could not be journalled.
    bool CancelApproval(const std::string& approvalId, const std::string& approvalTelegram);
    // Writes again the outcomes the disk refused before.
    void RetryRecords();

    // The next cancellation to send, which becomes the current one; nothing while one is on its way or
    // when none waits.
    const CancellationJournal::Entry* Next();
    const CancellationJournal::Entry* Current() const { return current_ ? &*current_ : nullptr; }
    // The current one has left (its entry goes) or has not (it waits for the next try).
    void Finish(bool sent);

    // Nothing is on its way and nothing waits to be sent.
    bool Settled() const { return !current_ && !waiting_; }
    // Something is left for a later try: a cancellation not sent, or an outcome not recorded.
    bool NeedsRetry() const { return waiting_ || !answeredNotRecorded_.empty(); }

private:
    Counter& counter_;
    CancellationJournal journal_;
    std::optional<CancellationJournal::Entry> current_;
    bool waiting_ = false;
    std::set<std::string> answeredNotRecorded_;
    bool toldNotRecorded_ = false;
};

} // namespace dovra
