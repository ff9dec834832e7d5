// The teller decided on the ledger directly: what it answers, byte for byte, and what each answer does
// to the ledger; then the host's safeguards: sessions, guessing, stale telegrams.
#include "ServerTestSupport.h"

#include "foundations/Cp949.h"
#include "server/AuthNumber.h"
#include "support/TelegramFields.h"

using namespace dovra;
using namespace dovra::testing;

namespace {

std::string Text(const char* utf8, int width) {
    return PadField(Utf8ToCp949(utf8), false, width);
}

class TellerTest : public DemoLedgerTest {
protected:
    Outcome Approve(const char* card, const char* care, const char* amount, const char* time = "093015") {
        return Ask(CounterRequest("0500", card, care, amount, time));
    }
    Outcome CancelByNumber(const std::string& number, const std::string& date = "20261207") {
        RequestFields f = CounterRequest("0600");
        f.OrgApprovalNo = number;
        f.OrgAuthDate = date;
        f.TransDate = FormatDate(clock.Now()); // the terminal's calendar agrees with the server's
        return Ask(f);
    }
    // One digit per approval since the demo's, in order, 1 when it has been cancelled.
    std::string Cancelled() {
        Query q = ledger.database().Prepare("SELECT EXISTS (SELECT 1 FROM ledger c WHERE c.cancels = a.id) "
                                            "FROM ledger a WHERE kind = 'approval' AND id > 1 ORDER BY id");
        std::string flags;
        while (q.Step()) {
            flags += std::to_string(q.Int(0));
        }
        return flags;
    }
    std::int64_t Used(const std::string& card, char programme = 'S') {
        return ledger.BudgetOf(card, programme, "202612").used;
    }
    std::int64_t Rows() {
        return Count(ledger,
                     "SELECT (SELECT count(*) FROM ledger) + (SELECT count(*) FROM replays) + "
                     "(SELECT count(*) FROM sessions) + (SELECT count(*) FROM unmatched_cancellations)");
    }
    std::string Answer(const std::string& type) {
        return Ask(CounterRequest(type, Haneul, "01S", "1000")).respCode;
    }
};

} // namespace

TEST_F(TellerTest, CardExchangesRefuseUnknownCardsAndMerchantsAndShowEachProgrammesMonth) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"9410000099999999", DemoMerchant, "17", "미등록카드번호"},
        {"9410000000000020", DemoMerchant, "20", "도난카드"},
        {"9410000000000030", DemoMerchant, "30", "유효기간경과"},
        {Haneul, "000071052399", "77", "미등록가맹점"}};
    for (const char* type : {"0200", "0500", "0700"}) {
        for (auto [card, merchant, code, message] : cases) {
            RequestFields f = CounterRequest(type, card, "01S", "1000");
            f.MerchantNo = merchant;
            Outcome refused = Ask(f);
            bool lookup = type == std::string("0200");
            EXPECT_TRUE(HasFields(refused.answer, lookup ? CardAnswerLaidOut() : StandardLaidOut(true),
                                  {"PlainLength=" + std::string(lookup ? "0974" : "0450"),
                                   "RespCode=" + std::string(code), "TraceNo=" + f.TraceNo,
                                   "MessageText=" + Text(message, 32)}))
                << type << " " << card;
            EXPECT_EQ(refused.answer.size(), lookup ? 978u : 454u) << type;
        }
    }
    // Nothing refused was charged: the month below shows only the two approvals.
    ASSERT_EQ(Approve(Haneul, "01S", "40000").respCode, "00");
    ASSERT_EQ(Approve(Haneul, "03A", "30000").respCode, "00");
    std::string a = Ask(CounterRequest("0200")).answer;
    EXPECT_TRUE(HasFields(a, CardAnswerLaidOut(),
                          {"PlainLength=0974", "RespCode=00", "CardData=" + PadField(Haneul, false, 37),
                           "MonthSupport=000220000", "MonthUsed=000040000", "MonthRemain=000180000",
                           "StudentName=" + Text("김하늘", 10), "SchoolName=" + Text("서울새싹초등학교", 40),
                           "MessageText=" + Text("정상완료", 32)}));
    EXPECT_TRUE(HasFields(
        a, CardAnswerLaidOut(),
        {"CareItems[0].ItemCode=01S", "CareItems[0].ItemRemain=000180000", "CareItems[0].ItemAmount=040000",
         "CareItems[0].ItemName=" + Text("언어치료", 20), "CareItems[0].ItemTeacherCode=T000000001",
         "CareItems[0].ItemTeacherName=" + Text("이수진", 10), "CareItems[1].ItemCode=02S",
         "CareItems[2].ItemCode=03A", "CareItems[2].ItemRemain=000070000", "CareItems[2].ItemAmount=030000",
         "CareItems[2].ItemName=" + Text("방과후 미술", 20), "CareItems[2].ItemTeacherCode=T000000003",
         "CareItems[2].ItemTeacherName=" + Text("최유리", 10)}));
    EXPECT_EQ(a.substr(630), std::string(6 * 58, ' ')); // the six items the card does not have
    a = Ask(CounterRequest("0700")).answer;
    EXPECT_TRUE(HasFields(a, BalanceAnswerLaidOut(),
                          {"PlainLength=0450", "StudentName=" + Text("김하늘", 10), "SupportMark=S",
                           "SupportUsed=000040000", "SupportRemain=000180000", "AfterSchoolMark=A",
                           "AfterSchoolUsed=000030000", "AfterSchoolRemain=000070000",
                           "BalanceRest=" + std::string(107, ' ')}));
}

TEST_F(TellerTest, ApprovalChargesTheItemsProgrammeOnceAndCancellationByNumberRestoresItsMonth) {
    RequestFields f = CounterRequest("0500", Haneul, "03A", "30000");
    std::string a = Ask(f).answer;
    ASSERT_EQ(a.size(), 454u);
    EXPECT_TRUE(
        HasFields(a, StandardLaidOut(true),
                  {"RespCode=00", "TransDate=20261207", "TransTime=093015",
                   "CardData=" + PadField(Haneul, false, 37), "Amount=0000030000", "MonthSupport=000100000",
                   "MonthUsed=000030000", "MonthRemain=000070000", "StudentName=" + Text("김하늘", 10)}));
    // The same bytes again, even a moment later, get the first answer and no second charge; another
    // counter's request with the same trace number is another request.
    clock.Set({2026, 12, 7, 9, 30, 20});
    Outcome repeat = Ask(f);
    EXPECT_TRUE(repeat.replayed && repeat.answer == a);
    f.CardData = Bada;
    f.CareCode = "01A";
    EXPECT_FALSE(Ask(f).replayed);
    EXPECT_EQ(std::vector({Used(Haneul, 'A'), Used(Bada, 'A'), Used(Haneul)}),
              std::vector<std::int64_t>({30000, 30000, 0}));

    // A blank amount is no number: refused, not handed to the conversion.
    const std::tuple<const char*, const char*, const char*, const char*> refusals[] = {
        {Haneul, "04S", "1000", "99"},       {Haneul, "01S", "0", "73"},      {Haneul, "01S", "12a4", "73"},
        {Haneul, "01S", "          ", "73"}, {Chorong, "01S", "10001", "88"}, {Chorong, "01S", "10000", "00"},
        {Chorong, "01S", "1", "88"}};
    for (auto [card, care, amount, code] : refusals) {
        EXPECT_EQ(Approve(card, care, amount).respCode, code) << care << " " << amount;
    }
    EXPECT_EQ(Used(Chorong), 200000);

    // Cancelled by its number, an approval gives its amount back to its own month, once.
    std::string number = At(Approve(Bada, "02S", "45000").answer, 136, 12);
    EXPECT_EQ(CancelByNumber("1234").respCode + CancelByNumber("").respCode +
                  CancelByNumber(number, "20261206").respCode,
              "222222");
    // A new month starts full; the cancellation gives the amount back to the approval's month.
    clock.Set({2027, 1, 2, 10, 0, 0});
    EXPECT_TRUE(
        HasFields(Ask(CounterRequest("0200", Bada)).answer, CardAnswerLaidOut(), {"MonthRemain=000180000"}));
    // The number may be typed without its leading zeros.
    a = CancelByNumber(number.substr(number.find_first_not_of('0'))).answer;
    EXPECT_TRUE(
        HasFields(a, StandardLaidOut(true),
                  {"RespCode=00", "TransDate=20270102", "Amount=0000045000", "MonthSupport=000180000",
                   "MonthUsed=000000000", "MonthRemain=000180000", "StudentName=" + Text("이바다", 10)}));
    EXPECT_NE(At(a, 136, 12), number);
    EXPECT_EQ(CancelByNumber(number).respCode, "23");
    EXPECT_TRUE(LedgerProblems(ledger).empty());
}

TEST_F(TellerTest, AutomaticCancellationReversesOnlyTheApprovalItWasSentFor) {
    // Each step: the server's clock as hhmmss, what the terminal sends at its own moment, and the answer.
    // 'S' sends the last cancellation again byte for byte.
    const std::tuple<int, char, const char*, const char*, const char*, const char*, const char*> steps[] = {
        // The same item on the same card again half a minute later; the second approval never arrives.
        // One cancellation comes at the time-out, one after a restart.
        {93015, 'A', Haneul, "01S", "40000", "093015", "00"},
        {93057, 'C', Haneul, "01S", "40000", "093057", "22"},
        {93057, 'C', Haneul, "01S", "40000", "093045", "22"},
        // Of two equal approvals ten seconds apart, each cancellation takes its own. Sent again byte for
        // byte, a cancellation is answered again and reverses nothing more.
        {93200, 'A', Haneul, "01S", "40000", "093200", "00"},
        {93200, 'A', Haneul, "01S", "40000", "093210", "00"},
        {93200, 'C', Haneul, "01S", "40000", "093222", "00"},
        {93200, 'S', "", "", "", "", "00 replayed"},
        {93200, 'C', Haneul, "01S", "40000", "093200", "00"},
        // The reach ends 25 seconds before the cancellation's moment; its own second is included.
        {93200, 'A', Bada, "02S", "45000", "093300", "00"},
        {93200, 'C', Bada, "02S", "45000", "093326", "22"},
        {93200, 'C', Bada, "02S", "45000", "093325", "00"},
        // Without a readable moment (an hour that does not exist) the arrival stands for it.
        {93400, 'A', Haneul, "02S", "50000", "093400", "00"},
        {93426, 'A', Bada, "03S", "45000", "093426", "00"},
        {93426, 'C', Haneul, "02S", "50000", "240000", "22"},
        {93426, 'C', Bada, "03S", "45000", "240000", "00"},
        // This terminal's clock runs seven minutes behind the server's. Told the payment failed, the
        // merchant takes it again; the cancellation gets through hours later.
        {93515, 'A', Haneul, "01S", "40000", "092815", "00"},
        {93600, 'A', Haneul, "01S", "40000", "092900", "00"},
        {140500, 'C', Haneul, "01S", "40000", "092825", "00"},
        // A cancellation that found nothing is decided afresh when the same bytes come again: the approval
        // it was meant for may have been delayed in the network and reached the ledger since.
        {140500, 'C', Bada, "01A", "25000", "140020", "22"},
        {140500, 'A', Bada, "01A", "25000", "140010", "00"},
        {140500, 'S', "", "", "", "", "00"},
        // Another terminal runs eight minutes ahead, and its cancellation comes at once.
        {140500, 'A', Bada, "02S", "45000", "141300", "00"},
        {140510, 'C', Bada, "02S", "45000", "141310", "00"},
    };
    RequestFields cancel;
    Outcome last;
    for (auto [now, what, card, care, amount, at, code] : steps) {
        clock.Set({2026, 12, 7, now / 10000, now / 100 % 100, now % 100});
        if (what == 'C') {
            cancel = AutoCancel(card, care, amount, at);
        }
        Outcome o = what == 'A' ? Approve(card, care, amount, at) : Ask(cancel);
        EXPECT_EQ(o.respCode + (o.replayed ? " replayed" : ""), code) << what << " at " << at;
        EXPECT_TRUE(!o.replayed || o.answer == last.answer);
        last = o;
    }
    EXPECT_EQ(Cancelled(), "0111011011");
    // Left standing on Haneul's S: the first of all, the one without a readable moment, the retaken one.
    EXPECT_EQ(Used(Haneul), 40000 + 50000 + 40000);
    // Each one that found nothing is kept for the record, the one found on its second coming too.
    EXPECT_EQ(Count(ledger, "SELECT count(*) FROM unmatched_cancellations"), 5);
    EXPECT_TRUE(LedgerProblems(ledger).empty());
}

TEST_F(TellerTest, LoginAnswersTheMerchantAndOnlyALoggedInMerchantMovesMoneyOrReadsACard) {
    RequestFields f = LoginRequest();
    f.RespCode = "30";
    std::string a = Ask(f).answer;
    // The prefix counts bytes, so the Hangul below counts twice.
    EXPECT_TRUE(HasFields(a, LoginAnswerLaidOut(),
                          {"PlainLength=0309", "MsgType=0100", "TraceNo=" + f.TraceNo, "RespCode=00",
                           "MerchantNo=1208147521     ", "LoginMark=1", "LoginReserved=  ",
                           "MerchantName=" + Text("새싹아동발달센터", 60), "MerchantNumber=000071052301",
                           "MerchantUnused=" + std::string(20, ' '), "MerchantPhone=02-3456-7890 ",
                           "MerchantAddress=" + Text("서울특별시 마포구 월드컵로 120 3층", 150)}));
    EXPECT_EQ(a.size(), 313u);
    EXPECT_EQ(Ask(LoginRequest("258")).respCode, "33");
    RequestFields second = LoginRequest("1358");
    second.MerchantNo = "1208147522";
    Outcome unknown = Ask(second);
    EXPECT_EQ(unknown.respCode + unknown.answer.substr(58), "16" + std::string(255, ' '));

    std::string salt = NewAuthSalt();
    ledger.AddMerchant(
        {"000071052302", "1208147522", "둘째", "02", "서울", salt, HashAuthNumber(salt, "1357")});
    std::int64_t before = Rows();
    peer = "127.0.0.2";
    EXPECT_EQ(Answer("0200") + Answer("0500") + Answer("0700") +
                  Ask(AutoCancel(Haneul, "01S", "1000")).respCode,
              "77777777");
    EXPECT_EQ(Rows(), before); // not even the unmatched automatic cancellation is recorded

    // Another merchant's number from a logged-in address is refused alike.
    peer = "127.0.0.1";
    auto other = [] {
        RequestFields f = CounterRequest("0500", Bada, "01A", "1000");
        f.MerchantNo = "000071052302";
        return f;
    };
    EXPECT_EQ(Ask(other()).respCode, "77");
    // A wrong login leaves the session. A right one opens that merchant's own beside the first one's, as
    // for two business numbers behind one line, and only once it is on disk; each merchant then approves.
    EXPECT_EQ(Ask(second).respCode, "33");
    second.AuthNo = "1357";
    Outcome opened = Ask(second);
    EXPECT_TRUE(opened.respCode == "00" && opened.needsCommit);
    EXPECT_EQ(Ask(other()).respCode + Answer("0500") + Ask(LoginRequest()).respCode + Ask(other()).respCode,
              "00000000");
    // A counter's login at its start finds its session on disk and needs no disk itself; a session that
    // only the same uncommitted batch has written is not on disk yet.
    EXPECT_FALSE(Ask(second).needsCommit);
    peer = "127.0.0.3";
    ledger.Begin();
    Outcome first = Handle(LoginRequest()), again = Handle(LoginRequest());
    ledger.Rollback();
    EXPECT_TRUE(first.needsCommit && again.needsCommit);
    EXPECT_EQ(Answer("0200"), "77");
    peer = "127.0.0.1";

    // The session outlives a restart, and lasts thirty days from its last request.
    ledger.Close();
    ledger.Open(temp.path() / "ledger.db");
    for (auto [month, day, second, code] : {std::tuple{1, 6, 0, "00"}, {2, 5, 0, "00"}, {3, 7, 1, "77"}}) {
        clock.Set({2027, month, day, 9, 30, second});
        teller.ForgetOldAnswers();
        EXPECT_EQ(Answer("0700"), code) << month << "/" << day;
    }
    // Of all that came since, only the three approvals stay: both sessions and the kept answers have gone.
    EXPECT_EQ(Rows(), before - 1 + 3);
}

TEST_F(TellerTest, GuessingLocksOnlyWhatWasGuessedAtFromTheGuessersAddress) {
    // Ten missed cancellation numbers lock cancellations by number, the right one included.
    std::string number = At(Approve(Haneul, "01S", "1000").answer, 136, 12);
    std::string codes;
    for (int i = 1; i <= 10; ++i) {
        codes += CancelByNumber(std::to_string(900 + i)).respCode;
    }
    codes += CancelByNumber(number).respCode; // locked: not even looked up
    EXPECT_EQ(codes, std::string(22, '2'));
    EXPECT_EQ(Used(Haneul), 1000);
    // The automatic cancellation matches one approval only and is not held up.
    EXPECT_EQ(Ask(AutoCancel(Haneul, "01S", "1000")).respCode, "00");
    std::string second = At(Approve(Haneul, "01S", "1000").answer, 136, 12);

    // Wrong authentication numbers from another address lock its logins.
    peer = "127.0.0.2";
    std::vector<Outcome> wrong;
    for (int i = 0; i < 10; ++i) {
        clock.Set({2026, 12, 7, 9, i < 4 ? 30 : 45, 15}); // the first four age out of the count...
        wrong.push_back(Ask(LoginRequest("000" + std::to_string(i))));
        if (i == 4) {
            EXPECT_EQ(Ask(LoginRequest()).respCode, "00"); // ...so the fifth locks nothing
        }
    }
    wrong.push_back(Ask(LoginRequest())); // locked: the right number is not even compared
    for (const Outcome& o : wrong) {
        EXPECT_EQ(o.respCode, "33");
        EXPECT_TRUE(o.note.find("000") == o.note.npos && o.note.find("2580") == o.note.npos) << o.note;
    }
    // The merchant's own counter elsewhere is not locked out.
    peer = "127.0.0.1";
    EXPECT_EQ(Ask(LoginRequest()).respCode, "00");
    clock.Set({2026, 12, 7, 9, 45, 16});
    teller.Sweep();
    EXPECT_EQ(CancelByNumber(second).respCode, "00");
    peer = "127.0.0.2";
    clock.Set({2026, 12, 7, 10, 0, 16});
    teller.Sweep();
    EXPECT_EQ(logLines, std::vector<std::string>({"cancellation lock ended: 127.0.0.1 merchant=000071052301",
                                                  "login lock ended: 127.0.0.2 business=1208147521"}));
    EXPECT_EQ(Ask(LoginRequest()).respCode, "00");
}

TEST_F(TellerTest, OnlyFreshTelegramsMoveMoneyAndOnlyChangesLeaveRows) {
    EXPECT_EQ(Approve(Chorong, "01S", "1000").respCode, "00");
    std::int64_t afterOne = Rows();
    for (const char* type : {"0500", "0600"}) {
        for (const char* stale : {"20261205", "20261209", "20261232"}) {
            RequestFields f = CounterRequest(type, Haneul, "01S", "1000");
            f.TransDate = stale;
            EXPECT_EQ(Ask(f).respCode, "97") << type << " " << stale;
        }
    }
    // Refusals, lookups and balance inquiries change nothing and keep nothing.
    EXPECT_EQ(Approve(Chorong, "01S", "20000").respCode + Approve(Chorong, "09S", "20000").respCode +
                  CancelByNumber("77").respCode + Answer("0200") + Answer("0700"),
              "8899220000");
    EXPECT_EQ(Rows(), afterOne);
    // Nor does an automatic cancellation with nothing to reverse where no approval it could match can
    // ever be taken: an unknown, stolen or expired card, an item not on the card, no amount, a moment
    // whose approval is past taking.
    std::string unmatched;
    for (auto [card, care, amount, date] : {std::tuple{"9410000099999999", "01S", "1000", "20261207"},
                                            {"9410000000000020", "01S", "1000", "20261207"},
                                            {"9410000000000030", "01S", "1000", "20261207"},
                                            {Haneul, "02A", "1000", "20261207"},
                                            {Haneul, "01S", "0", "20261207"},
                                            {Haneul, "01S", "1000", "20261205"}}) {
        RequestFields f = AutoCancel(card, care, amount);
        f.TransDate = date;
        unmatched += Ask(f).respCode;
    }
    EXPECT_EQ(unmatched, std::string(12, '2'));
    EXPECT_EQ(Rows(), afterOne);
    // One on a card that can still be charged is kept until its approval is past taking.
    ASSERT_EQ(Ask(AutoCancel(Bada, "02S", "45000")).respCode, "22");
    for (auto [day, hour, minute, second, kept] : {std::tuple{8, 23, 59, 59, 1}, {9, 0, 0, 0, 0}}) {
        clock.Set({2026, 12, day, hour, minute, second});
        teller.ForgetOldAnswers();
        EXPECT_EQ(Rows(), afterOne + kept) << day << " " << hour;
    }

    // A terminal a day ahead, just after midnight: its telegram is taken until the end of the next
    // day but one, and must be answered, not charged, if it comes again by then.
    clock.Set({2026, 12, 8, 0, 0, 1});
    RequestFields ahead = CounterRequest("0500", Bada, "02S", "45000");
    ahead.TransDate = "20261209";
    ASSERT_EQ(Ask(ahead).respCode, "00");
    clock.Set({2026, 12, 10, 23, 59, 59});
    teller.ForgetOldAnswers();
    EXPECT_TRUE(Ask(ahead).replayed);

    // The automatic cancellation comes with its approval's own date however late the program resends it.
    clock.Set({2026, 12, 12, 9, 0, 0});
    RequestFields late = AutoCancel(Bada, "02S", "45000");
    late.TransDate = "20261209";
    EXPECT_EQ(Ask(late).respCode, "00");
}
