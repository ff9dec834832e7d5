#include "ServerTestSupport.h"

#include "foundations/Cp949.h"
#include "server/Answers.h"

using namespace dovra;
using namespace dovra::testing;

namespace {

std::string Text(const char* utf8, int width) {
    return PadField(Utf8ToCp949(utf8), false, width);
}

// The answer as the client's buffer holds it, for the client's own readers.
std::string ClientBuffer(const std::string& answer) {
    return answer + std::string(2000 - answer.size(), ' ');
}

class ExchangeTest : public DemoLedgerTest {
protected:
    // The time and date given are the terminal's clock; the server's is the test clock.
    Outcome Approve(const std::string& card, const std::string& care, const std::string& amount,
                    const char* time = "093015", const char* date = "20261207") {
        RequestFields f = CounterRequest("0500", card);
        f.CareCode = care;
        f.Amount = amount;
        f.TransTime = time;
        f.TransDate = date;
        return Ask(f);
    }
    LedgerEntry Entry(const Outcome& approval) {
        return ledger.ApprovalByNumber(DemoMerchant, At(approval.answer, 136, 12), "20261207").value();
    }
    Outcome CancelByNumber(const std::string& number, const std::string& date) {
        RequestFields f = CounterRequest("0600");
        f.OrgApprovalNo = number;
        f.OrgAuthDate = date;
        f.TransDate = FormatDate(clock.Now()); // the terminal's calendar agrees with the server's
        return Ask(f);
    }
    RequestFields AutoCancel(const std::string& card, const std::string& care, const std::string& amount,
                             const char* time = "093015") {
        RequestFields f = CounterRequest("0600", card);
        f.CancelType = "2";
        f.CareCode = care;
        f.Amount = amount;
        f.TransTime = time;
        return f;
    }
};

} // namespace

TEST_F(ExchangeTest, LoginAnswersWithTheMerchantBlockAtTheEnd) {
    RequestFields f = CounterRequest("0100");
    f.RespCode = "30";
    f.MerchantNo = "1208147521";
    f.AuthNo = "2580";
    Outcome ok = Ask(f);
    const std::string& a = ok.answer;
    ASSERT_EQ(a.size(), 313u);
    EXPECT_EQ(At(a, 1, 4), "0309");
    EXPECT_EQ(At(a, 5, 4), "0100");
    EXPECT_EQ(At(a, 27, 12), f.TraceNo);
    EXPECT_EQ(At(a, 39, 2), "00");
    EXPECT_EQ(At(a, 41, 15), "1208147521     ");
    EXPECT_EQ(At(a, 56, 1), "1");
    EXPECT_EQ(At(a, 59, 60), Text("새싹아동발달센터", 60));
    EXPECT_EQ(At(a, 119, 12), "000071052301");
    EXPECT_EQ(At(a, 131, 20), std::string(20, ' '));
    EXPECT_EQ(At(a, 151, 13), "02-3456-7890 ");
    EXPECT_EQ(At(a, 164, 150), Text("서울특별시 마포구 월드컵로 120 3층", 150));

    // The client's own reader finds the same block through the byte-counting prefix.
    ResponseFields read;
    ASSERT_TRUE(CutLoginAnswer(ClientBuffer(a), read));
    EXPECT_EQ(read.MerchantNumber, "000071052301");
    EXPECT_EQ(Cp949ToUtf8(read.MerchantPhone), "02-3456-7890 ");

    f.AuthNo = "258";
    EXPECT_EQ(Ask(f).respCode, "33");
    f.MerchantNo = "1208147522";
    Outcome unknown = Ask(f);
    EXPECT_EQ(unknown.respCode, "16");
    EXPECT_EQ(unknown.answer.size(), 313u);
    EXPECT_EQ(At(unknown.answer, 59, 255), std::string(255, ' '));
}

TEST_F(ExchangeTest, CardLookupListsItemsWithTheirProgrammesRemainder) {
    ASSERT_EQ(Approve(Haneul, "03A", "30000").respCode, "00");
    Outcome ok = Ask(CounterRequest("0200"));
    const std::string& a = ok.answer;
    ASSERT_EQ(a.size(), 978u);
    EXPECT_EQ(At(a, 1, 4), "0974");
    EXPECT_EQ(At(a, 39, 2), "00");
    EXPECT_EQ(At(a, 73, 37), PadField(Haneul, false, 37));
    EXPECT_EQ(At(a, 186, 9), "000220000");
    EXPECT_EQ(At(a, 228, 10), Text("김하늘", 10));
    EXPECT_EQ(At(a, 238, 40), Text("서울새싹초등학교", 40));
    EXPECT_EQ(At(a, 278, 32), Text("정상완료", 32));
    EXPECT_EQ(At(a, 457, 58),
              "01S000220000040000" + Text("언어치료", 20) + "T000000001" + Text("이수진", 10));
    EXPECT_EQ(At(a, 515, 3), "02S");
    EXPECT_EQ(At(a, 573, 58),
              "03A000070000030000" + Text("방과후 미술", 20) + "T000000003" + Text("최유리", 10));
    for (int block = 4; block <= 9; ++block) {
        EXPECT_EQ(At(a, 457 + 58 * (block - 1), 58), std::string(58, ' ')) << block;
    }

    // The manual lookup port takes its own issue code and entry mode.
    RequestFields manual = CounterRequest("0200", Chorong);
    manual.IssueCode = "KVRB";
    manual.EntryMode = "2";
    Outcome viaLookup = Ask(manual, Port::Lookup);
    EXPECT_EQ(viaLookup.respCode, "00");
    EXPECT_EQ(At(viaLookup.answer, 186, 9), "000010000");
    EXPECT_EQ(At(viaLookup.answer, 9, 4), "KVRB");
}

TEST_F(ExchangeTest, MerchantAndCardChecksRefuseEveryCardExchange) {
    struct Case {
        const char* card;
        const char* merchant;
        const char* code;
        const char* message;
    };
    const Case cases[] = {{"9410000099999999", DemoMerchant, "17", "미등록카드번호"},
                          {Stolen, DemoMerchant, "20", "도난카드"},
                          {Expired, DemoMerchant, "30", "유효기간경과"},
                          {Haneul, "000071052399", "77", "미등록가맹점"}};
    for (const char* type : {"0200", "0500", "0700"}) {
        for (const Case& c : cases) {
            RequestFields f = CounterRequest(type, c.card);
            f.MerchantNo = c.merchant;
            f.CareCode = "01S";
            f.Amount = "1000";
            Outcome refused = Ask(f);
            EXPECT_EQ(refused.respCode, c.code) << type << " " << c.card;
            EXPECT_EQ(refused.answer.size(), std::string(type) == "0200" ? 978u : 454u);
            EXPECT_EQ(At(refused.answer, 27, 12), f.TraceNo);
            EXPECT_EQ(At(refused.answer, 278, 32), Text(c.message, 32));
        }
    }
    EXPECT_EQ(BudgetNow(Haneul, 'S').used, 0);
}

TEST_F(ExchangeTest, ApprovalChargesTheItemsProgrammeAndAnswersTheMonth) {
    Outcome ok = Approve(Haneul, "03A", "30000");
    const std::string& a = ok.answer;
    ASSERT_EQ(ok.respCode, "00");
    ASSERT_EQ(a.size(), 454u);
    EXPECT_EQ(At(a, 56, 8), "20261207");
    EXPECT_EQ(At(a, 64, 6), "093015");
    EXPECT_EQ(At(a, 73, 16), Haneul);
    EXPECT_EQ(At(a, 126, 10), "0000030000");
    EXPECT_EQ(At(a, 136, 12).find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(At(a, 168, 27), "000100000000030000000070000");
    EXPECT_EQ(At(a, 228, 10), Text("김하늘", 10));
    EXPECT_EQ(BudgetNow(Haneul, 'A').remaining, 70000);
    EXPECT_EQ(BudgetNow(Haneul, 'S').used, 0);

    EXPECT_EQ(Approve(Haneul, "04S", "1000").respCode, "99");
    EXPECT_EQ(Approve(Haneul, "01S", "0").respCode, "73");
    EXPECT_EQ(Approve(Haneul, "01S", "12a4").respCode, "73");
    EXPECT_EQ(Approve(Chorong, "01S", "10001").respCode, "88");
    EXPECT_EQ(Approve(Chorong, "01S", "10000").respCode, "00");
    EXPECT_EQ(Approve(Chorong, "01S", "1").respCode, "88");
    EXPECT_EQ(BudgetNow(Chorong, 'S').remaining, 0);
    EXPECT_TRUE(LedgerProblems(ledger).empty());
}

TEST_F(ExchangeTest, CancellationByNumberRestoresTheBudgetOnce) {
    Outcome approval = Approve(Bada, "02S", "45000");
    std::string number = At(approval.answer, 136, 12);
    EXPECT_EQ(CancelByNumber("1234", "20261207").respCode, "22");
    EXPECT_EQ(CancelByNumber(number, "20261206").respCode, "22");

    // The number may be typed without its leading zeros.
    Outcome cancelled = CancelByNumber(number.substr(number.find_first_not_of('0')), "20261207");
    ASSERT_EQ(cancelled.respCode, "00");
    EXPECT_NE(At(cancelled.answer, 136, 12), number);
    EXPECT_EQ(At(cancelled.answer, 126, 10), "0000045000");
    EXPECT_EQ(At(cancelled.answer, 168, 27), "000180000000000000000180000");
    EXPECT_EQ(At(cancelled.answer, 228, 10), Text("이바다", 10));
    EXPECT_EQ(CancelByNumber(number, "20261207").respCode, "23");
    EXPECT_EQ(BudgetNow(Bada, 'S').used, 0);
}

TEST_F(ExchangeTest, AutomaticCancellationReversesOnlyTheApprovalItWasSentFor) {
    auto unmatched = [&] {
        Query q =
            ledger.database().Prepare("SELECT count(*) FROM ledger WHERE kind = 'unmatched-cancellation'");
        q.Step();
        return q.Int(0);
    };
    // The same item on the same card again half a minute later; the second approval never arrives.
    Outcome receipted = Approve(Haneul, "01S", "40000", "093015");
    clock.Set({2026, 12, 7, 9, 30, 57});
    EXPECT_EQ(Ask(AutoCancel(Haneul, "01S", "40000", "093057")).respCode, "22"); // at the time-out
    EXPECT_EQ(Ask(AutoCancel(Haneul, "01S", "40000", "093045")).respCode, "22"); // after a restart
    EXPECT_FALSE(ledger.IsCancelled(Entry(receipted).id));
    EXPECT_EQ(unmatched(), 2);

    // Of two equal approvals ten seconds apart, each cancellation takes its own.
    clock.Set({2026, 12, 7, 9, 32, 0});
    Outcome earlier = Approve(Haneul, "01S", "40000", "093200");
    Outcome later = Approve(Haneul, "01S", "40000", "093210");
    RequestFields timedOut = AutoCancel(Haneul, "01S", "40000", "093222");
    Outcome reversed = Ask(timedOut);
    ASSERT_EQ(reversed.respCode, "00");
    EXPECT_TRUE(ledger.IsCancelled(Entry(later).id));
    EXPECT_FALSE(ledger.IsCancelled(Entry(earlier).id));
    // Sent again byte for byte, it is answered again and reverses nothing more.
    Outcome again = Ask(timedOut);
    EXPECT_TRUE(again.replayed);
    EXPECT_EQ(again.answer, reversed.answer);
    ASSERT_EQ(Ask(AutoCancel(Haneul, "01S", "40000", "093200")).respCode, "00");
    EXPECT_TRUE(ledger.IsCancelled(Entry(earlier).id));

    // The reach ends 25 seconds before the cancellation's moment; its own second is included.
    Outcome edge = Approve(Bada, "02S", "45000", "093300");
    EXPECT_EQ(Ask(AutoCancel(Bada, "02S", "45000", "093326")).respCode, "22");
    ASSERT_EQ(Ask(AutoCancel(Bada, "02S", "45000", "093325")).respCode, "00");
    EXPECT_TRUE(ledger.IsCancelled(Entry(edge).id));
    EXPECT_EQ(BudgetNow(Haneul, 'S').used, 40000);
    EXPECT_EQ(unmatched(), 3);
    EXPECT_TRUE(LedgerProblems(ledger).empty());
}

TEST_F(ExchangeTest, LateAutomaticCancellationGoesByTheTerminalsClock) {
    // This terminal's clock runs seven minutes behind the server's.
    Outcome unanswered = Approve(Haneul, "01S", "40000", "092315");
    EXPECT_EQ(Entry(unanswered).clientSeconds, Teller::SecondsOf({2026, 12, 7, 9, 23, 15}));
    RequestFields timedOut = AutoCancel(Haneul, "01S", "40000", "092325");
    // Told the payment failed, the merchant takes it again; the cancellation gets through hours later.
    clock.Set({2026, 12, 7, 9, 31, 0});
    Outcome retaken = Approve(Haneul, "01S", "40000", "092400");
    clock.Set({2026, 12, 7, 14, 5, 0});
    ASSERT_EQ(Ask(timedOut).respCode, "00");
    EXPECT_TRUE(ledger.IsCancelled(Entry(unanswered).id));
    EXPECT_FALSE(ledger.IsCancelled(Entry(retaken).id));
    EXPECT_EQ(BudgetNow(Haneul, 'S').used, 40000);

    // A cancellation that found nothing is decided afresh when the same bytes come again: the approval
    // it was meant for may have been delayed in the network and reached the ledger since.
    RequestFields early = AutoCancel(Bada, "01A", "25000", "140020");
    EXPECT_EQ(Ask(early).respCode, "22");
    Outcome delayed = Approve(Bada, "01A", "25000", "140010");
    Outcome retried = Ask(early);
    EXPECT_FALSE(retried.replayed);
    ASSERT_EQ(retried.respCode, "00");
    EXPECT_TRUE(ledger.IsCancelled(Entry(delayed).id));

    // Another terminal runs eight minutes ahead, and its cancellation comes at once.
    Outcome ahead = Approve(Bada, "02S", "45000", "141300");
    clock.Set({2026, 12, 7, 14, 5, 10});
    ASSERT_EQ(Ask(AutoCancel(Bada, "02S", "45000", "141310")).respCode, "00");
    EXPECT_TRUE(ledger.IsCancelled(Entry(ahead).id));
    EXPECT_TRUE(LedgerProblems(ledger).empty());
}

TEST_F(ExchangeTest, AutomaticCancellationWithoutAReadableMomentGoesByServerTime) {
    Outcome early = Approve(Haneul, "01S", "40000", "093015");
    clock.Set({2026, 12, 7, 9, 30, 41});
    Outcome recent = Approve(Bada, "02S", "45000", "093041");
    // An hour that does not exist cannot be read: the arrival stands for the moment.
    EXPECT_EQ(Ask(AutoCancel(Haneul, "01S", "40000", "240000")).respCode, "22");
    EXPECT_EQ(Ask(AutoCancel(Bada, "02S", "45000", "240000")).respCode, "00");
    EXPECT_FALSE(ledger.IsCancelled(Entry(early).id));
    EXPECT_TRUE(ledger.IsCancelled(Entry(recent).id));
}

TEST_F(ExchangeTest, BalanceInquirySplitsBothProgrammes) {
    Approve(Haneul, "01S", "40000");
    Approve(Haneul, "03A", "30000");
    Outcome ok = Ask(CounterRequest("0700"));
    const std::string& a = ok.answer;
    ASSERT_EQ(a.size(), 454u);
    EXPECT_EQ(At(a, 228, 10), Text("김하늘", 10));
    EXPECT_EQ(At(a, 310, 38), "S000040000000180000A000030000000070000");
    EXPECT_EQ(At(a, 348, 107), std::string(107, ' '));
}

TEST_F(ExchangeTest, RepeatedTelegramIsAnsweredAgainWhileASharedTraceNumberIsNot) {
    RequestFields f = CounterRequest("0500");
    f.CareCode = "01S";
    f.Amount = "40000";
    Outcome first = Ask(f);
    clock.Set({2026, 12, 7, 9, 30, 20});
    Outcome repeat = Ask(f);
    EXPECT_TRUE(repeat.replayed);
    EXPECT_EQ(repeat.answer, first.answer);
    EXPECT_EQ(BudgetNow(Haneul, 'S').used, 40000);

    // A second counter of the merchant, same second, same trace number, another card.
    RequestFields other = f;
    other.CardData = Bada;
    other.CareCode = "02S";
    Outcome second = Ask(other);
    EXPECT_FALSE(second.replayed);
    EXPECT_EQ(second.respCode, "00");
    EXPECT_EQ(BudgetNow(Bada, 'S').used, 40000);
}

TEST_F(ExchangeTest, NewMonthStartsFullAndACancellationRestoresTheApprovalsMonth) {
    std::string number = At(Approve(Haneul, "01S", "40000").answer, 136, 12);
    clock.Set({2027, 1, 2, 10, 0, 0});
    EXPECT_EQ(At(Ask(CounterRequest("0200")).answer, 186, 9), "000220000");
    Outcome cancelled = CancelByNumber(number, "20261207");
    ASSERT_EQ(cancelled.respCode, "00");
    EXPECT_EQ(BudgetNow(Haneul, 'S').used, 0);
    EXPECT_EQ(At(cancelled.answer, 56, 8), "20270102");
    EXPECT_TRUE(LedgerProblems(ledger).empty());
}
