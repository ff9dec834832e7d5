#pragma once

#include "server/Ledger.h"
#include "server/Teller.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace dovra {

struct LedgerJob {
    std::uint64_t ticket = 0;
    Request request;
};

struct LedgerResult {
    std::uint64_t ticket = 0;
    Outcome outcome;
};

// The one thread that touches the ledger. Whatever has queued up while the previous commit was being
// synced goes into the next transaction together (a group commit): a busy server pays for one sync per
// batch instead of one per approval, and an idle one still answers after a single sync. The answer to an
// approval or a cancellation is handed out only once its batch is durable.
class LedgerWorker {
public:
    using Deliver = std::function<void(std::vector<LedgerResult>)>; // called on the worker thread
    static constexpr size_t MaxBatch = 256;

    LedgerWorker(Ledger& ledger, Teller& teller, Deliver deliver);
    ~LedgerWorker();
    LedgerWorker(const LedgerWorker&) = delete;
    LedgerWorker& operator=(const LedgerWorker&) = delete;

    void Submit(LedgerJob job);
    // Finishes every job already submitted, then ends the thread.
    void Stop();

private:
    void Run();
    void Process(std::vector<LedgerJob>& batch);

    Ledger& ledger_;
    Teller& teller_;
    Deliver deliver_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<LedgerJob> queue_;
    bool stopping_ = false;
    std::optional<std::chrono::steady_clock::time_point> lastPrune_; // old answers go once an hour
    std::chrono::steady_clock::time_point lastSweep_ = std::chrono::steady_clock::now();
    std::thread thread_;
};

} // namespace dovra
