#pragma once

#include "counter/CancellationJournal.h"
#include "counter/Counter.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace dovra {

// The automatic cancellations apart from the connection that sends them: an approval is journalled
// before it leaves; answered, it is settled; unanswered, its cancellation replaces it on disk and waits
// to be sent, one at a time, until it has left. What the disk refuses is kept in memory for this run,
// so a full disk never stands between a time-out and its cancellation.
class CancellationQueue {
public:
    CancellationQueue(Counter& counter,
                      CancellationJournal::FileRemover remover = CancellationJournal::RemoveFile)
        : counter_(counter), journal_(counter.settings().paths().root / "Journal", std::move(remover)) {}

    CancellationJournal& journal() { return journal_; }

    // A merchant has logged in: what an earlier run left open for that merchant becomes cancellations,
    // and those kept for the merchant's next login may go again. Another merchant's wait for theirs.
    void Start();
    // The approval was answered: whatever the disk does, it is never cancelled. When the journal cannot
    // record that, the outcome is kept here and written again at every retry. True the first time in a
    // run that happens to an approval that went through, for the merchant to hear of it once; a refusal
    // moved no money and is not told as an approval.
    bool SettleApproval(const std::string& approvalId, bool approved);
    // The approval never left: its entry goes, or when the disk refuses, it is kept here as answered,
    // so that no later start of this run cancels what was never sent.
    void WithdrawApproval(const std::string& approvalId);
    // The approval timed out: its cancellation, built from the approval as it was sent, replaces its
    // journal entry and waits to be sent. False when the disk could not record it; it is sent all the
    // same, from memory, and tried again until the program ends.
    bool CancelApproval(const std::string& approvalId, const std::string& approvalTelegram);
    // Writes again the outcomes the disk refused before.
    void RetryRecords();

    // The next cancellation of the merchant now logged in, which becomes the current one; nothing
    // while one is on its way or when none waits.
    const CancellationJournal::Entry* Next();
    const CancellationJournal::Entry* Current() const { return current_ ? &*current_ : nullptr; }
    // How the current one ended: not sent (it waits for the next try), sent (its entry goes; it is not
    // sent again in this run even when its file stays), or refused by the server for want of the
    // merchant's session (it waits for that merchant's next login).
    enum class Ending { NotSent, Sent, KeptForLogin };
    void Finish(Ending ending);

    // Nothing is on its way and nothing waits to be sent.
    bool Settled() const { return !current_ && !waiting_; }
    // Something is left for a later try: a cancellation not sent, or an outcome not recorded.
    bool NeedsRetry() const { return waiting_ || !answeredNotRecorded_.empty() || !sentNotCleared_.empty(); }

private:
    bool HandledThisRun(const std::string& id) const;

    Counter& counter_;
    CancellationJournal journal_;
    std::optional<CancellationJournal::Entry> current_;
    bool waiting_ = false;
    std::set<std::string> answeredNotRecorded_;
    bool toldNotRecorded_ = false;
    std::vector<CancellationJournal::Entry> notJournalled_; // cancellations the disk refused, oldest first
    std::set<std::string> sent_;                            // left in this run
    std::set<std::string> sentNotCleared_;                  // left, and their file stayed
    std::set<std::string> keptForLogin_;
};

} // namespace dovra
