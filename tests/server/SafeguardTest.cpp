// The host's safeguards, decided on the ledger directly: sessions, guessing, stale telegrams.
#include "ServerTestSupport.h"

#include "server/AuthNumber.h"

using namespace dovra;
using namespace dovra::testing;

namespace {

class SafeguardTest : public DemoLedgerTest {
protected:
    Outcome Approve(const char* date = "20261207", const char* card = Haneul) {
        RequestFields f = CounterRequest("0500", card);
        f.CareCode = "01S";
        f.Amount = "1000";
        f.TransDate = date;
        return Ask(f);
    }
    Outcome CancelByNumber(const std::string& number) {
        RequestFields f = CounterRequest("0600");
        f.OrgApprovalNo = number;
        f.OrgAuthDate = "20261207";
        return Ask(f);
    }
    std::int64_t Rows() {
        Query q = ledger.database().Prepare("SELECT (SELECT count(*) FROM ledger) + (SELECT count(*) FROM "
                                            "replays) + (SELECT count(*) FROM sessions)");
        q.Step();
        return q.Int(0);
    }
};

} // namespace

TEST_F(SafeguardTest, OnlyALoggedInMerchantMovesMoneyOrReadsACard) {
    std::string salt = NewAuthSalt();
    ledger.AddMerchant(
        {"000071052302", "1208147522", "둘째", "02", "서울", salt, HashAuthNumber(salt, "1357")});
    std::int64_t before = Rows();
    peer = "127.0.0.2";
    for (const char* type : {"0200", "0500", "0600", "0700"}) {
        RequestFields f = CounterRequest(type);
        f.CareCode = "01S";
        f.Amount = "1000";
        f.CancelType = std::string(type) == "0600" ? "2" : f.CancelType;
        Outcome refused = Ask(f);
        EXPECT_EQ(refused.respCode, "77") << type;
        EXPECT_FALSE(refused.needsCommit);
    }
    EXPECT_EQ(Rows(), before); // not even the unmatched automatic cancellation is recorded

    // Another merchant's number from a logged-in address is refused alike.
    peer = "127.0.0.1";
    RequestFields other = CounterRequest("0200");
    other.MerchantNo = "000071052302";
    EXPECT_EQ(Ask(other).respCode, "77");
    // A wrong login leaves the session; a right one replaces it.
    RequestFields second = LoginRequest("1358");
    second.MerchantNo = "1208147522";
    EXPECT_EQ(Ask(second).respCode, "33");
    EXPECT_EQ(Ask(CounterRequest("0200")).respCode, "00");
    second.AuthNo = "1357";
    Outcome opened = Ask(second);
    EXPECT_EQ(opened.respCode, "00");
    EXPECT_TRUE(opened.needsCommit);
    EXPECT_EQ(Ask(other).respCode, "00");
    EXPECT_EQ(Ask(CounterRequest("0200")).respCode, "77");
    EXPECT_EQ(Ask(LoginRequest()).respCode, "00");

    // The session outlives a restart, and lasts thirty days from its last request.
    ledger.Close();
    ledger.Open(temp.path() / "ledger.db");
    clock.Set({2027, 1, 6, 9, 30, 0});
    EXPECT_EQ(Ask(CounterRequest("0700")).respCode, "00");
    clock.Set({2027, 2, 5, 9, 30, 0});
    EXPECT_EQ(Ask(CounterRequest("0700")).respCode, "00");
    clock.Set({2027, 3, 7, 9, 30, 1});
    teller.ForgetOldAnswers();
    EXPECT_EQ(Ask(CounterRequest("0700")).respCode, "77");
    EXPECT_EQ(Rows(), before - 1); // the expired session is gone, and nothing else came
}

TEST_F(SafeguardTest, WrongAuthenticationNumbersLockOnlyTheGuessersAddress) {
    peer = "127.0.0.2";
    std::vector<Outcome> wrong;
    for (const char* guess : {"0000", "0001", "0002", "0003"}) {
        wrong.push_back(Ask(LoginRequest(guess)));
    }
    clock.Set({2026, 12, 7, 9, 45, 15}); // those four have just aged out of the count
    wrong.push_back(Ask(LoginRequest("0004")));
    EXPECT_EQ(Ask(LoginRequest()).respCode, "00");
    wrong.push_back(Ask(LoginRequest("0005")));
    for (const Outcome& o : wrong) {
        EXPECT_EQ(o.respCode, "33");
    }
    for (const char* guess : {"0006", "0007", "0008", "0009"}) {
        wrong.push_back(Ask(LoginRequest(guess)));
    }
    EXPECT_NE(wrong.back().note.find("locked for 15 minutes"), std::string::npos) << wrong.back().note;
    Outcome locked = Ask(LoginRequest());
    EXPECT_EQ(locked.respCode, "33");
    wrong.push_back(locked);
    for (const Outcome& o : wrong) {
        EXPECT_EQ(o.note.find("000"), std::string::npos) << o.note;
        EXPECT_EQ(o.note.find("2580"), std::string::npos) << o.note;
    }

    // The merchant's own counter elsewhere is not locked out.
    peer = "127.0.0.1";
    EXPECT_EQ(Ask(LoginRequest()).respCode, "00");
    peer = "127.0.0.2";
    clock.Set({2026, 12, 7, 10, 0, 16});
    teller.Sweep();
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0], "login lock ended: 127.0.0.2 business=1208147521");
    EXPECT_EQ(Ask(LoginRequest()).respCode, "00");
}

TEST_F(SafeguardTest, MissedCancellationNumbersLockCancellationsByNumber) {
    std::string number = At(Approve().answer, 136, 12);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(CancelByNumber(std::to_string(900 + i)).respCode, "22");
    }
    Outcome locked = CancelByNumber(number);
    EXPECT_EQ(locked.respCode, "22");
    EXPECT_NE(locked.note.find("not looked up"), std::string::npos);
    EXPECT_EQ(BudgetNow(Haneul, 'S').used, 1000);

    // The automatic cancellation matches one approval only and is not held up.
    RequestFields automatic = CounterRequest("0600");
    automatic.CancelType = "2";
    automatic.CareCode = "01S";
    automatic.Amount = "1000";
    EXPECT_EQ(Ask(automatic).respCode, "00");
    std::string second = At(Approve().answer, 136, 12);
    clock.Set({2026, 12, 7, 9, 45, 16});
    teller.Sweep();
    EXPECT_EQ(logLines, std::vector<std::string>{"cancellation lock ended: 127.0.0.1 merchant=000071052301"});
    EXPECT_EQ(CancelByNumber(second).respCode, "00");
}

TEST_F(SafeguardTest, OnlyFreshTelegramsMoveMoneyAndOnlyChangesLeaveRows) {
    std::int64_t before = Rows();
    for (const char* stale : {"20261205", "20261209", "20261232"}) {
        EXPECT_EQ(Approve(stale).respCode, "97") << stale;
    }
    RequestFields cancel = CounterRequest("0600");
    cancel.TransDate = "20261205";
    EXPECT_EQ(Ask(cancel).respCode, "97");
    // Refusals, lookups and balance inquiries change nothing and keep nothing.
    EXPECT_EQ(Approve("20261207", Chorong).respCode, "00");
    std::int64_t afterOne = Rows();
    EXPECT_EQ(afterOne, before + 2); // the approval and its answer for a repeat
    for (int i = 0; i < 2; ++i) {
        RequestFields f = CounterRequest("0500", Chorong);
        f.CareCode = i == 0 ? "01S" : "09S";
        f.Amount = "20000";
        EXPECT_EQ(Ask(f).respCode, i == 0 ? "88" : "99");
    }
    EXPECT_EQ(CancelByNumber("77").respCode, "22");
    EXPECT_EQ(Ask(CounterRequest("0200")).respCode, "00");
    EXPECT_EQ(Ask(CounterRequest("0700")).respCode, "00");
    EXPECT_EQ(Rows(), afterOne);

    // A terminal a day ahead, just after midnight: its telegram is taken until the end of the next
    // day but one, and must be answered, not charged, if it comes again by then.
    clock.Set({2026, 12, 8, 0, 0, 1});
    RequestFields ahead = CounterRequest("0500", Bada);
    ahead.TransDate = "20261209";
    ahead.CareCode = "02S";
    ahead.Amount = "45000";
    Outcome first = Ask(ahead);
    ASSERT_EQ(first.respCode, "00");
    clock.Set({2026, 12, 10, 23, 59, 59});
    teller.ForgetOldAnswers();
    EXPECT_TRUE(Ask(ahead).replayed);
    EXPECT_EQ(ledger.BudgetOf(Bada, 'S', "202612").used, 45000);

    // The automatic cancellation comes with its approval's own date however late the program resends it.
    clock.Set({2026, 12, 12, 9, 0, 0});
    RequestFields late = CounterRequest("0600", Bada);
    late.CancelType = "2";
    late.CareCode = "02S";
    late.Amount = "45000";
    late.TransDate = "20261209";
    EXPECT_EQ(Ask(late).respCode, "00");
}
