#include "ServerTestSupport.h"

#include "server/LedgerWorker.h"

#include <future>
#include <map>
#include <random>

using namespace dovra;
using namespace dovra::testing;

namespace {

// Submits requests in bursts through the real worker, so they are decided in group commits, and
// collects the answers.
class Bursts {
public:
    Bursts(Ledger& ledger, Teller& teller)
        : worker_(ledger, teller, [this](std::vector<LedgerResult> results) {
              std::lock_guard lock(mutex_);
              for (LedgerResult& r : results) {
                  answers_[r.ticket] = std::move(r.outcome);
              }
              if (answers_.size() == expected_) {
                  done_.set_value();
              }
          }) {}

    std::vector<Outcome> Run(const std::vector<std::string>& telegrams) {
        std::future<void> done;
        {
            std::lock_guard lock(mutex_);
            answers_.clear();
            expected_ = telegrams.size();
            done_ = std::promise<void>();
            done = done_.get_future();
        }
        for (size_t i = 0; i < telegrams.size(); ++i) {
            Request request = ReadRequest(AsDecrypted(telegrams[i]), Port::Approval).request;
            request.peer = "127.0.0.1";
            worker_.Submit({i, std::move(request)});
        }
        done.wait();
        std::lock_guard lock(mutex_);
        std::vector<Outcome> ordered;
        for (auto& [ticket, outcome] : answers_) {
            ordered.push_back(std::move(outcome));
        }
        return ordered;
    }

private:
    std::mutex mutex_;
    std::map<std::uint64_t, Outcome> answers_;
    size_t expected_ = 0;
    std::promise<void> done_;
    LedgerWorker worker_;
};

} // namespace

TEST_F(DemoLedgerTest, RandomApprovalsAndCancellationsKeepTheLedgerSound) {
    std::mt19937 random(20261207);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    struct Item {
        const char* card;
        const char* care;
    };
    const Item items[] = {{Haneul, "01S"}, {Haneul, "03A"}, {Bada, "01A"}, {Bada, "03S"}, {Chorong, "01S"}};
    std::vector<std::pair<std::string, std::string>> approvals; // number, date
    std::vector<std::string> sent;
    std::int64_t approved = 0, cancelled = 0, refusedForBudget = 0;

    Bursts bursts(ledger, teller);
    for (int burst = 0; burst < 60; ++burst) {
        // Time moves on between bursts, across a month's end, so cancellations reach back into last month.
        int minute = 50 + burst / 3;
        LocalTime now = minute < 60 ? LocalTime{2026, 12, 31, 23, minute, burst % 3 * 20}
                                    : LocalTime{2027, 1, 1, 0, minute - 60, burst % 3 * 20};
        clock.Set(now);
        std::vector<std::string> telegrams;
        for (int i = 0; i < 50; ++i) {
            int what = pick(10);
            RequestFields f;
            if (what < 5 || approvals.empty()) {
                const Item& item = items[pick(5)];
                f = CounterRequest("0500", item.card);
                f.CareCode = item.care;
                f.Amount = std::to_string(pick(4) == 0 ? pick(200000) : 1000 * (1 + pick(40)));
            } else if (what < 8) {
                const auto& [number, date] =
                    approvals[static_cast<size_t>(pick(static_cast<int>(approvals.size())))];
                f = CounterRequest("0600");
                f.OrgApprovalNo = number;
                f.OrgAuthDate = date;
            } else if (what < 9) {
                const Item& item = items[pick(5)];
                f = CounterRequest("0600", item.card);
                f.CancelType = "2";
                f.CareCode = item.care;
                f.Amount = std::to_string(1000 * (1 + pick(40)));
            }
            // The terminals keep the server's time, so automatic cancellations reach across the month too.
            f.TransDate = FormatDate(now);
            f.TransTime = FormatTime(now);
            telegrams.push_back(what == 9 && !sent.empty()
                                    ? sent[static_cast<size_t>(pick(static_cast<int>(sent.size())))]
                                    : AssembleStandardRequest(f));
        }
        std::vector<Outcome> outcomes = bursts.Run(telegrams);
        for (size_t i = 0; i < outcomes.size(); ++i) {
            const Outcome& o = outcomes[i];
            ASSERT_NE(o.respCode, "29") << o.note;
            sent.push_back(telegrams[i]);
            if (o.replayed) {
                continue;
            }
            std::string type = telegrams[i].substr(0, 4);
            if (type == "0500" && o.respCode == "00") {
                ++approved;
                approvals.emplace_back(At(o.answer, 136, 12), At(o.answer, 56, 8));
            } else if (type == "0500" && o.respCode == "88") {
                ++refusedForBudget;
            } else if (type == "0600" && o.respCode == "00") {
                ++cancelled;
            }
        }
    }
    EXPECT_EQ(LedgerProblems(ledger), std::vector<std::string>());
    Query counts = ledger.database().Prepare(
        "SELECT sum(kind = 'approval'), sum(kind = 'cancellation') FROM ledger WHERE id > 1");
    ASSERT_TRUE(counts.Step());
    EXPECT_EQ(counts.Int(0), approved);
    EXPECT_EQ(counts.Int(1), cancelled);
    // The sequence must have reached every path for the checks above to mean anything.
    EXPECT_GT(approved, 300);
    EXPECT_GT(cancelled, 100);
    EXPECT_GT(refusedForBudget, 10);
}
