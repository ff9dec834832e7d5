#include "counter/CancellationQueue.h"

#include <algorithm>
#include <utility>

namespace dovra {

void CancellationQueue::Start() {
    for (const auto& entry : journal_.Entries()) {
        if (entry.kind == CancellationJournal::Kind::AnsweredApproval) {
            journal_.ClearApproval(entry.id); // a tidy-up an earlier run could not finish
        } else if (entry.kind == CancellationJournal::Kind::OpenApproval &&
                   !answeredNotRecorded_.contains(entry.id)) {
            journal_.RecordCancellation(
                entry.id, counter_.AutomaticCancellation(entry.telegram, CancellationMoment::OfApproval));
        }
    }
    waiting_ = true; // until a look at the journal finds nothing
}

bool CancellationQueue::SettleApproval(const std::string& approvalId) {
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
    return !std::exchange(toldNotRecorded_, true);
}

bool CancellationQueue::CancelApproval(const std::string& approvalId, const std::string& approvalTelegram) {
    if (!journal_.RecordCancellation(
            approvalId, counter_.AutomaticCancellation(approvalTelegram, CancellationMoment::Now))) {
        return false;
    }
    waiting_ = true;
    return true;
}

void CancellationQueue::RetryRecords() {
    std::erase_if(answeredNotRecorded_, [this](const std::string& id) { return journal_.ClearApproval(id); });
}

const CancellationJournal::Entry* CancellationQueue::Next() {
    if (current_) {
        return nullptr;
    }
    for (auto& entry : journal_.Entries()) {
        if (entry.kind == CancellationJournal::Kind::PendingCancellation) {
            current_ = std::move(entry);
            waiting_ = true;
            return &*current_;
        }
    }
    waiting_ = false;
    return nullptr;
}

void CancellationQueue::Finish(bool sent) {
    if (!current_) {
        return;
    }
    if (sent) {
        journal_.ClearCancellation(current_->id);
    }
    current_.reset();
}

} // namespace dovra
