#include "ServerTestSupport.h"

#include "foundations/Cp949.h"
#include "server/Answers.h"
#include "transport/Envelope.h"

using namespace dovra;
using namespace dovra::testing;

namespace {

ReadResult::Kind KindOf(const std::string& decrypted, Port port = Port::Approval) {
    return ReadRequest(decrypted, port).kind;
}

} // namespace

TEST(RequestReader, PrefixCountsCharactersAndTheBodyMustHaveItsLayoutsWidth) {
    RequestFields f = CounterRequest("0500");
    f.TeacherName = Utf8ToCp949("이수진");
    std::string body = AssembleStandardRequest(f);
    ReadResult read = ReadRequest(AsDecrypted(body), Port::Approval);
    ASSERT_EQ(read.kind, ReadResult::Kind::Request) << read.problem;
    EXPECT_EQ(read.request.body, body);
    EXPECT_EQ(read.request.fields.TeacherName, f.TeacherName + "    ");

    // A prefix counting bytes, as an answer's does, is not the counter's.
    std::string byBytes = "0450" + body + std::string(10, ' ');
    EXPECT_EQ(KindOf(byBytes), ReadResult::Kind::Malformed);

    for (size_t width : {449u, 451u}) {
        std::string wrong =
            body.substr(0, std::min(width, body.size())) + std::string(width > 450 ? 1 : 0, ' ');
        ReadResult short_ = ReadRequest(AsDecrypted(wrong), Port::Approval);
        EXPECT_EQ(short_.kind, ReadResult::Kind::Malformed) << width;
        EXPECT_EQ(short_.request.fields.TraceNo, f.TraceNo);
    }
    RequestFields login = CounterRequest("0100");
    EXPECT_EQ(KindOf(AsDecrypted(AssembleLoginRequest(login))), ReadResult::Kind::Request);
    EXPECT_EQ(KindOf(AsDecrypted(AssembleStandardRequest(login))), ReadResult::Kind::Malformed);
}

TEST(RequestReader, HeaderlessTextIsUnreadableAndOtherFaultsAreMalformed) {
    EXPECT_EQ(KindOf(std::string("0450") + '\0' + std::string(100, ' ')), ReadResult::Kind::Unreadable);
    EXPECT_EQ(KindOf("0050" + std::string(50, '0') + std::string(1946, ' ')), ReadResult::Kind::Unreadable);

    RequestFields unknown = CounterRequest("0900");
    EXPECT_EQ(KindOf(AsDecrypted(AssembleStandardRequest(unknown))), ReadResult::Kind::Malformed);
    RequestFields letters = CounterRequest("0200");
    letters.TraceNo = "09301505230X";
    EXPECT_EQ(KindOf(AsDecrypted(AssembleStandardRequest(letters))), ReadResult::Kind::Malformed);
    // The amount is the exchange's to judge: a balance inquiry carries whatever the box held.
    RequestFields amount = CounterRequest("0700");
    amount.Amount = "12,000";
    EXPECT_EQ(KindOf(AsDecrypted(AssembleStandardRequest(amount))), ReadResult::Kind::Request);
    // The text is taken up to the library's NUL, never beyond.
    std::string noNul = FramePlainRequest(AssembleStandardRequest(amount));
    EXPECT_EQ(KindOf(noNul), ReadResult::Kind::Request);
}

TEST(RequestReader, LookupPortTakesOnlyCardLookupsAndItsOwnIssueCode) {
    RequestFields manual = CounterRequest("0200");
    manual.IssueCode = "KVRB";
    EXPECT_EQ(KindOf(AsDecrypted(AssembleStandardRequest(manual)), Port::Lookup), ReadResult::Kind::Request);
    EXPECT_EQ(KindOf(AsDecrypted(AssembleStandardRequest(manual)), Port::Approval),
              ReadResult::Kind::Malformed);
    EXPECT_EQ(KindOf(AsDecrypted(AssembleStandardRequest(CounterRequest("0500"))), Port::Lookup),
              ReadResult::Kind::Malformed);
}

TEST(RequestReader, FormatRefusalKeepsTheLayoutOfTheMsgType) {
    SettableClock clock;
    Ledger unused;
    Teller teller(unused, clock);
    for (auto [type, width] : {std::pair{"0100", 313u}, {"0200", 978u}, {"0500", 454u}, {"09ab", 454u}}) {
        ReadResult read = ReadRequest(
            AsDecrypted(AssembleStandardRequest(CounterRequest(type)).substr(0, 300)), Port::Approval);
        ASSERT_EQ(read.kind, ReadResult::Kind::Malformed) << type;
        Outcome refused = teller.Refuse(read.request, "93");
        EXPECT_EQ(refused.answer.size(), width) << type;
        EXPECT_EQ(At(refused.answer, 39, 2), "93");
        EXPECT_EQ(At(refused.answer, 5, 4), type);
    }
}
