#include "counter/CounterFixture.h"

using namespace dovra;

namespace {

using Lines = std::vector<std::string>;
using CareList = CardOutcome::CareList;
using AnswersTest = CounterTest;

// Texts as UTF-8 and joined by "|", so a failure reads as text; items offered as "name@block".
std::string Text(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (&line == &lines.front() ? "" : "|") + Cp949ToUtf8(line);
    }
    return text;
}
Lines Names(const CardOutcome& outcome) {
    Lines names;
    for (const CareChoice& choice : outcome.choices) {
        names.push_back(Cp949ToUtf8(choice.name) + "@" + std::to_string(choice.item));
    }
    return names;
}
std::string Shown(const CareShown& shown) {
    return Cp949ToUtf8(shown.teacher) + "|" + shown.amount;
}

} // namespace

TEST_F(AnswersTest, LoginTakesTheMerchantFromTheEndOfTheTelegram) {
    auto answer = [](const std::string& code, const std::string& prefix = "0309", size_t more = 0) {
        // More bytes before the merchant block, counted by the prefix; the decrypt buffer goes on after.
        return prefix + LoginAnswered(code, "새싹아동발달센터", "서울 마포구").insert(54, more, '#') +
               std::string(40, '#');
    };
    const std::string merchant =
        Text({Fit("새싹아동발달센터", 60), "000071052301", "02-3456-7890 ", Fit("서울 마포구", 150)});
    using enum LoginOutcome::Result;
    const std::tuple<std::string, LoginOutcome::Result, std::string> cases[] = {
        {answer("00"), Accepted, merchant},     {answer("00", "0349", 40), Accepted, merchant},
        {answer("33"), Refused, "|||"},         {answer("00", "03O9"), Unreadable, "|||"},
        {answer("33", "03O9"), Refused, "|||"}, {"0309", Refused, "|||"}};
    for (const auto& [text, result, details] : cases) {
        LoginOutcome outcome = counter.ReadLoginAnswer(text);
        const MerchantDetails& m = outcome.merchant;
        EXPECT_EQ(outcome.result, result) << text.substr(0, 40);
        EXPECT_EQ(Text({m.name, m.number, m.telephone, m.address}), details) << text.substr(0, 40);
    }
}

TEST_F(AnswersTest, LookupsOfferTheItemsOfTheirSourceAndRefusedOrBalanceOnesNothing) {
    // Block 1's budget is shown even when blank.
    const CareBlock speechBlankRemain{"01S", "", "030000", "언어치료", "T000000001", "박선생"};
    const CareBlock blankRemain{"03A", "", "020000", "음악줄넘기", "T000000003", "최선생"};
    CardOutcome outcome = counter.ReadCardAnswer(
        LookupSource::CardReader, Entry::Kind::Approval,
        CardAnswer("00", {speechBlankRemain, Art, AfterSchool, {}, Speech, blankRemain}));
    const std::string pupil =
        "카드정보조회가 정상처리 되었습니다.|학생이름   : 김하늘    |학교명     : 한빛초등학교" +
        std::string(28, ' ');
    EXPECT_EQ(
        Text(outcome.lines),
        pupil + "|치료지원 월잔여금액 :          |방과후 월잔여금액 : 80,000|치료지원 월잔여금액 : 150,000");
    EXPECT_EQ(Names(outcome), (Lines{"언어치료@1", "미술치료@2", "음악줄넘기(방과후)@3", "언어치료@5",
                                     "음악줄넘기(방과후)@6"}));
    EXPECT_EQ(Shown(outcome.shown), "박선생    |30,000");
    EXPECT_TRUE(outcome.careList == CareList::Open && outcome.amountChange);
    EXPECT_EQ(Shown(*counter.Choose(6)), "최선생    |20,000");
    EXPECT_FALSE(counter.Choose(0) || counter.Choose(10));

    // A blank or unknown block ahead shifts nothing.
    const CareBlock unknown{"04X", "000010000", "010000", "기타", "T9", "정선생"};
    outcome = counter.ReadCardAnswer(LookupSource::CardReader, Entry::Kind::Approval,
                                     CardAnswer("00", {{}, Art, unknown, AfterSchool}));
    EXPECT_EQ(Names(outcome), (Lines{"미술치료@2", "음악줄넘기(방과후)@4"}));
    EXPECT_EQ(Shown(outcome.shown), "이선생    |45,000");
    EXPECT_EQ(outcome.lines.size(), 5u);

    // Typed in by hand, all nine are offered as received, under one month line.
    const CareBlock ninth{"09S", "", "012345", "ITEMNINE", "T000000009", "TEACHER9"};
    outcome = counter.ReadCardAnswer(LookupSource::ManualEntry, Entry::Kind::Approval,
                                     CardAnswer("00", {Speech, Art, AfterSchool, {}, {}, {}, {}, {}, ninth}));
    EXPECT_EQ(Text(outcome.lines), pupil + "|월잔여금액 : 1,250,000");
    Lines names = Names(outcome);
    ASSERT_EQ(names.size(), 9u);
    EXPECT_EQ(names[2] + names[7], "음악줄넘기" + std::string(10, ' ') + "@3" + std::string(20, ' ') + "@8");
    EXPECT_EQ(Shown(outcome.shown), "박선생    |30,000");
    // The last block, at byte 921 of the answer, is read at its own place.
    EXPECT_EQ(Shown(*counter.Choose(9)), "TEACHER9  |12,345");
    EXPECT_TRUE(HasFields(counter.TransactionRequest(Paying(Entry::Kind::Approval, 9)), StandardLaidOut(),
                          {"CareCode=09S", "TeacherCode=T000000009"}));

    // A refused lookup, or one for the balance, offers nothing.
    CardOutcome refused = counter.ReadCardAnswer(LookupSource::CardReader, Entry::Kind::Approval,
                                                 CardAnswer("17", {Art}, "미등록카드번호입니다"));
    EXPECT_EQ(Text(refused.lines),
              "카드정보조회가 거절 되었습니다.|응답코드   : 17|응답메세지 : 미등록카드번호입니다" +
                  std::string(12, ' '));
    EXPECT_TRUE(refused.choices.empty() && refused.careList == CareList::Locked && !refused.amountChange);
    // An answer shorter than its blocks is not read beyond its end.
    EXPECT_TRUE(counter.ReadCardAnswer(LookupSource::CardReader, Entry::Kind::Approval, "0010010000")
                    .choices.empty());
    // Only the reader's lookup also takes back the teacher and the amount change.
    for (auto source : {LookupSource::CardReader, LookupSource::ManualEntry}) {
        bool reader = source == LookupSource::CardReader;
        CardOutcome balance =
            counter.ReadCardAnswer(source, Entry::Kind::BalanceInquiry, CardAnswer("00", {Speech, Art}));
        EXPECT_EQ(balance.lines.size(), 4u);
        EXPECT_TRUE(balance.choices.empty() && balance.careList == CareList::Withdrawn);
        EXPECT_EQ(Shown(balance.shown), reader ? "|" : "박선생    |");
        EXPECT_EQ(balance.amountChange, !reader);
    }
}

TEST_F(AnswersTest, TransactionAnswersGiveTheLinesAndTheReceiptOfTheirKind) {
    Set("ComInfo", "Name", Cp949("새싹아동발달센터"));
    Set("ComInfo", "Telephone", "02-3456-7890");
    Set("ComInfo", "Address", Cp949("서울 마포구"));
    Entry entry = Paying(Entry::Kind::Approval);
    std::tie(entry.careName, entry.teacherName) = std::tuple(Cp949(" 언어치료 "), Cp949("이수진    "));
    const std::string pupil = "|학생이름   : 김하늘    |학교명     : 서울새싹초등학교" + std::string(24, ' ');
    const std::string paid = "|승인번호   :  12345678\t  " + pupil +
                             "|월지원금액 : 300,000|월사용금액 : 40,000|월잔여금액 : 260,000";
    auto refused = [](const std::string& head, const std::string& label) {
        return head + "|" + label + "코드   : 85|" + label + "메세지 : 한도초과" + std::string(24, ' ');
    };
    using enum Entry::Kind;
    // The balance is split in the reserved field; the other kinds read the amounts' own fields.
    const std::tuple<Entry::Kind, const char*, const char*, std::string> cases[] = {
        {Approval, "0500", "00", "승인요청이 정상처리 되었습니다" + paid},
        {Cancellation, "0600", "00", "취소요청이 정상처리 되었습니다" + paid},
        {BalanceInquiry, "0700", "00",
         "잔액조회가 정상처리 되었습니다" + pupil +
             "|치료지원 월사용금액 : 100,000|치료지원 월잔여금액 : 120,000|방과후 월사용금액 :  0|방과후 "
             "월잔여금액 :  " +
             std::string(9, ' ')},
        {Approval, "0500", "85", refused("승인요청이 거절 되었습니다.", "응답")},
        {Cancellation, "0500", "85", refused("취소요청이 거절 되었습니다", "거절")},
        {BalanceInquiry, "0500", "85", refused("잔액조회가 거절 되었습니다", "거절")}};
    for (const auto& [kind, msgType, code, expected] : cases) {
        Telegram t{
            .msgType = msgType, .code = code, .transTime = "093016", .card = "9410000012345678=2512101"};
        std::tie(t.amount, t.approvalNo, t.support, t.used, t.remain, t.student, t.school) =
            std::tuple("0000040000", " 12345678\t  ", "000300000", "000040000", "000260000", "김하늘",
                       "서울새싹초등학교");
        std::tie(t.message, t.reserved145) =
            std::tuple(code[0] == '8' ? "한도초과" : "", "S000100000000120000A000000000");
        entry.kind = kind;
        TransactionOutcome outcome = counter.ReadTransactionAnswer(entry, "0450" + t.Text());
        EXPECT_EQ(Text(outcome.lines), expected);
        ASSERT_EQ(bool(outcome.receipt), code[0] == '0' && kind != BalanceInquiry) << expected;
        if (outcome.receipt) {
            const Receipt& r = *outcome.receipt;
            const MerchantDetails& m = r.merchant;
            EXPECT_EQ(
                Text({r.kind, r.cardNumber, r.dateTime, r.approvalNo, r.amount, r.remain, r.careItem,
                      r.teacher, m.name, m.number, m.telephone, m.address}),
                (kind == Approval ? "카드 승인" : "카드 취소") +
                    std::string("|9410000012345678|20261207  9:30:16|12345678\t|40,000|260,000|언어치료|"
                                "이수진|새싹아동발달센터|000071052301|02-3456-7890|서울 마포구"));
        }
    }
}
