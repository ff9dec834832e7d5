#include "counter/CancellationQueue.h"

#include "foundations/AnsiText.h"

#include <algorithm>
#include <utility>

namespace dovra {

bool CancellationQueue::HandledThisRun(const std::string& id) const {
    return answeredNotRecorded_.contains(id) || sent_.contains(id) ||
           std::ranges::any_of(notJournalled_, [&](const auto& entry) { return entry.id == id; });
}

void CancellationQueue::Start() {
    keptForLogin_.clear();
    const std::string merchant(TrimSpaces(counter_.settings().MerchantNumber()));
    for (const auto& entry : journal_.Entries()) {
        if (entry.kind == CancellationJournal::Kind::AnsweredApproval) {
            journal_.ClearApproval(entry.id); // a tidy-up an earlier run could not finish
        } else if (entry.kind == CancellationJournal::Kind::OpenApproval && !HandledThisRun(entry.id) &&
                   MerchantOf(entry.telegram) == merchant) {
            journal_.RecordCancellation(
                entry.id, counter_.AutomaticCancellation(entry.telegram, CancellationMoment::OfApproval));
        }
    }
    waiting_ = true; // until a look at the journal finds nothing
}

bool CancellationQueue::SettleApproval(const std::string& approvalId, bool approved) {
    bool recorded = false;
    try {
        recorded = journal_.ClearApproval(approvalId);
    } catch (...) {
        // kept in memory below, like any other refusal of the disk
    }
    if (recorded) {
        return false;
    }
    answeredNotRecorded_.insert(approvalId);
    return approved && !std::exchange(toldNotRecorded_, true);
}

void CancellationQueue::WithdrawApproval(const std::string& approvalId) {
    bool withdrawn = false;
    try {
        withdrawn = journal_.ClearApproval(approvalId);
    } catch (...) {
    }
    if (!withdrawn) {
        answeredNotRecorded_.insert(approvalId);
    }
}

bool CancellationQueue::CancelApproval(const std::string& approvalId, const std::string& approvalTelegram) {
    std::string cancellation = counter_.AutomaticCancellation(approvalTelegram, CancellationMoment::Now);
    waiting_ = true;
    bool recorded = false;
    try {
        recorded = journal_.RecordCancellation(approvalId, cancellation);
    } catch (...) {
    }
    if (!recorded) {
        notJournalled_.push_back({approvalId, CancellationJournal::Kind::PendingCancellation, cancellation});
    }
    return recorded;
}

void CancellationQueue::RetryRecords() {
    std::erase_if(answeredNotRecorded_, [this](const std::string& id) { return journal_.ClearApproval(id); });
    std::erase_if(sentNotCleared_, [this](const std::string& id) { return journal_.ClearCancellation(id); });
}

const CancellationJournal::Entry* CancellationQueue::Next() {
    if (current_) {
        return nullptr;
    }
    // The telegram names its merchant; the server takes it only from that merchant's session.
    const std::string merchant(TrimSpaces(counter_.settings().MerchantNumber()));
    auto due = [&](const CancellationJournal::Entry& entry) {
        return !sent_.contains(entry.id) && !keptForLogin_.contains(entry.id) &&
               MerchantOf(entry.telegram) == merchant;
    };
    for (auto& entry : notJournalled_) {
        if (due(entry)) {
            current_ = entry;
            waiting_ = true;
            return &*current_;
        }
    }
    for (auto& entry : journal_.Entries()) {
        if (entry.kind == CancellationJournal::Kind::PendingCancellation && due(entry)) {
            current_ = std::move(entry);
            waiting_ = true;
            return &*current_;
        }
    }
    waiting_ = false;
    return nullptr;
}

void CancellationQueue::Finish(Ending ending) {
    if (!current_) {
        return;
    }
    std::string id = current_->id;
    current_.reset();
    if (ending == Ending::KeptForLogin) {
        keptForLogin_.insert(id);
        return;
    }
    if (ending == Ending::Sent) {
        sent_.insert(id);
        std::erase_if(notJournalled_, [&](const auto& entry) { return entry.id == id; });
        if (!journal_.ClearCancellation(id)) {
            sentNotCleared_.insert(id);
        }
    }
}

} // namespace dovra
