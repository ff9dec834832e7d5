#include "ServerTestSupport.h"

#include <map>
#include <random>

using namespace dovra;
using namespace dovra::testing;

TEST_F(DemoLedgerTest, RandomApprovalsAndCancellationsKeepTheLedgerSound) {
    std::mt19937 random(20261207);
    auto pick = [&](size_t n) { return random() % n; };
    const std::pair<const char*, const char*> items[] = {
        {Haneul, "01S"}, {Haneul, "03A"}, {Bada, "01A"}, {Bada, "03S"}, {Chorong, "01S"}};
    std::vector<std::pair<std::string, std::string>> approvals; // number, date
    std::vector<std::string> sent;
    std::map<std::string, std::int64_t> decided; // by MsgType and RespCode, replays aside
    for (int burst = 0; burst < 60; ++burst) {
        // Time moves on between bursts, across a month's end, so cancellations reach back into last month.
        int minute = 50 + burst / 3;
        LocalTime now = minute < 60 ? LocalTime{2026, 12, 31, 23, minute, burst % 3 * 20}
                                    : LocalTime{2027, 1, 1, 0, minute - 60, burst % 3 * 20};
        clock.Set(now);
        // One transaction per burst, as the ledger's worker commits a group: a repeat can meet its first
        // answer before that is committed.
        ledger.Begin();
        for (int i = 0; i < 50; ++i) {
            size_t what = pick(10);
            auto [card, care] = items[pick(5)];
            std::string amount =
                std::to_string(what < 5 && pick(4) == 0 ? pick(200000) : 1000 * (1 + pick(40)));
            // The terminals keep the server's time, so automatic cancellations reach across the month too.
            RequestFields f = CounterRequest(what < 5 || approvals.empty() ? "0500" : "0600", card, care,
                                             amount, FormatTime(now));
            f.TransDate = FormatDate(now);
            f.CancelType = what == 8 ? "2" : f.CancelType;
            if (f.MsgType == "0600" && what < 8) {
                std::tie(f.OrgApprovalNo, f.OrgAuthDate) = approvals[pick(approvals.size())];
            }
            sent.push_back(what == 9 && !sent.empty() ? sent[pick(sent.size())] : AssembleStandardRequest(f));
            Request request = ReadRequest(AsDecrypted(sent.back()), Port::Approval).request;
            request.peer = peer;
            const Outcome o = teller.Handle(request);
            ASSERT_NE(o.respCode, "29") << o.note;
            decided[sent.back().substr(0, 4) + " " + o.respCode] += !o.replayed;
            if (!o.replayed && sent.back().starts_with("0500") && o.respCode == "00") {
                approvals.emplace_back(At(o.answer, 136, 12), At(o.answer, 56, 8));
            }
        }
        ledger.Commit();
    }
    EXPECT_EQ(LedgerProblems(ledger), std::vector<std::string>());
    EXPECT_EQ(Count(ledger, "SELECT count(*) FROM ledger WHERE kind = 'approval' AND id > 1"),
              decided["0500 00"]);
    EXPECT_EQ(Count(ledger, "SELECT count(*) FROM ledger WHERE kind = 'cancellation'"), decided["0600 00"]);
    // The sequence must have reached every path for the checks above to mean anything.
    EXPECT_GT(decided["0500 00"], 300);
    EXPECT_GT(decided["0600 00"], 100);
    EXPECT_GT(decided["0500 88"], 10);
}
