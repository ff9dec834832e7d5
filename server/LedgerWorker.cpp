#include "server/LedgerWorker.h"

#include "transport/ResponseCodes.h"

namespace dovra {

LedgerWorker::LedgerWorker(Ledger& ledger, Teller& teller, Deliver deliver)
    : ledger_(ledger), teller_(teller), deliver_(std::move(deliver)), thread_([this] { Run(); }) {}

LedgerWorker::~LedgerWorker() {
    Stop();
}

void LedgerWorker::Submit(LedgerJob job) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void LedgerWorker::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void LedgerWorker::Run() {
    for (;;) {
        std::vector<LedgerJob> batch;
        {
            std::unique_lock lock(mutex_);
            // Awake once a second at least, so that a guessing lock's end is logged when it comes.
            wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_ || !queue_.empty(); });
            auto now = std::chrono::steady_clock::now();
            if (now - lastSweep_ >= std::chrono::seconds(1)) {
                lastSweep_ = now;
                lock.unlock();
                teller_.Sweep();
                lock.lock();
            }
            if (queue_.empty()) {
                if (!stopping_) {
                    continue;
                }
                return;
            }
            while (!queue_.empty() && batch.size() < MaxBatch) {
                batch.push_back(std::move(queue_.front()));
                queue_.pop_front();
            }
        }
        Process(batch);
    }
}

void LedgerWorker::Process(std::vector<LedgerJob>& batch) {
    std::vector<LedgerResult> results;
    results.reserve(batch.size());
    try {
        ledger_.Begin();
    } catch (const std::exception& error) {
        for (LedgerJob& job : batch) {
            results.push_back(
                {job.ticket, teller_.Refuse(job.request, RespCode::StorageError, error.what())});
        }
        deliver_(std::move(results));
        return;
    }
    auto now = std::chrono::steady_clock::now();
    if (!lastPrune_ || now - *lastPrune_ > std::chrono::hours(1)) {
        lastPrune_ = now;
        try {
            ledger_.Mark();
            teller_.ForgetOldAnswers();
            ledger_.ReleaseMark();
        } catch (const std::exception&) {
            // Old answers wait for the next hour; the batch itself goes on.
            try {
                ledger_.RollbackToMark();
            } catch (const std::exception&) {
            }
        }
    }
    // Once SQLite has dropped the batch's transaction, a savepoint would open and commit a transaction
    // of its own: the rest of the batch is refused undecided rather than charged behind a storage refusal.
    std::string lost;
    for (LedgerJob& job : batch) {
        if (!lost.empty()) {
            results.push_back({job.ticket, teller_.Refuse(job.request, RespCode::StorageError, lost)});
            continue;
        }
        try {
            ledger_.Mark();
            Outcome outcome = teller_.Handle(job.request);
            ledger_.ReleaseMark();
            results.push_back({job.ticket, std::move(outcome)});
        } catch (const std::exception& error) {
            try {
                ledger_.RollbackToMark();
            } catch (const std::exception&) {
                // The commit below fails too and turns the batch into refusals.
            }
            if (!ledger_.InTransaction()) {
                lost = error.what();
            }
            results.push_back(
                {job.ticket, teller_.Refuse(job.request, RespCode::StorageError, error.what())});
        }
    }
    // Answers that changed nothing (lookups, balance inquiries, refusals before any decision) go out
    // while the batch is being synced.
    std::vector<LedgerResult> early, late;
    std::vector<const Request*> lateRequests;
    for (size_t i = 0; i < results.size(); ++i) {
        if (results[i].outcome.needsCommit) {
            late.push_back(std::move(results[i]));
            lateRequests.push_back(&batch[i].request);
        } else {
            early.push_back(std::move(results[i]));
        }
    }
    if (!early.empty()) {
        deliver_(std::move(early));
    }
    try {
        ledger_.Commit();
    } catch (const std::exception& error) {
        try {
            ledger_.Rollback();
        } catch (const std::exception&) {
        }
        for (size_t i = 0; i < late.size(); ++i) {
            late[i].outcome = teller_.Refuse(*lateRequests[i], RespCode::StorageError, error.what());
        }
    }
    if (!late.empty()) {
        deliver_(std::move(late));
    }
}

} // namespace dovra
