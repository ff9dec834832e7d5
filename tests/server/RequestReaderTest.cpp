#include "ServerTestSupport.h"

#include "foundations/Cp949.h"
#include "support/TelegramFields.h"
#include "transport/Envelope.h"

#include <random>

using namespace dovra;
using namespace dovra::testing;

TEST(RequestReader, TakesOnlyTheLayoutOfTheMsgTypeCountedInCharacters) {
    RequestFields f = CounterRequest("0500");
    f.TeacherName = Utf8ToCp949("이수진");
    std::string body = AssembleStandardRequest(f);
    RequestFields letters = CounterRequest("0200");
    letters.TraceNo = "09301505230X";
    RequestFields amount = CounterRequest("0700");
    amount.Amount = "12,000"; // the exchange's to judge: a balance inquiry carries whatever the box held
    RequestFields manual = CounterRequest("0200");
    manual.IssueCode = "KVRB";
    using enum ReadResult::Kind;
    const std::tuple<const char*, std::string, ReadResult::Kind> cases[] = {
        {"a prefix counting bytes, as an answer's", "0450" + body + std::string(10, ' '), Malformed},
        {"a byte long", AsDecrypted(body + " "), Malformed},
        {"a login 450 bytes wide", AsDecrypted(AssembleStandardRequest(LoginRequest())), Malformed},
        {"a NUL before the header", std::string("0450") + '\0' + std::string(100, ' '), Unreadable},
        {"no more than a header", "0050" + std::string(50, '0') + std::string(1946, ' '), Unreadable},
        {"an unknown MsgType", AsDecrypted(AssembleStandardRequest(CounterRequest("0900"))), Malformed},
        {"a letter in TraceNo", AsDecrypted(Telegram(letters)), Malformed},
        {"an amount that is not a number", AsDecrypted(Telegram(amount)), Request},
        {"no NUL and nothing after it", FramePlainRequest(Telegram(amount)), Request},
        {"the manual lookup's issuer", AsDecrypted(Telegram(manual)), Malformed},
    };
    for (const auto& [what, decrypted, kind] : cases) {
        EXPECT_EQ(ReadRequest(decrypted, Port::Approval).kind, kind) << what;
    }
    ReadResult read = ReadRequest(AsDecrypted(body), Port::Approval);
    ASSERT_EQ(read.kind, Request) << read.problem;
    EXPECT_EQ(read.request.body, body);
    EXPECT_EQ(read.request.fields.TeacherName, f.TeacherName + "    ");
}

// Telegrams damaged and cut at random: whatever can be read is answered with the format refusal, built
// from a header that may hold any bytes at all, and the rest is dropped; nothing reads past its text.
TEST_F(DemoLedgerTest, DamagedTelegramsAreRefusedOrDropped) {
    std::mt19937 random(42);
    auto below = [&](size_t n) { return random() % n; };
    int refused = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string plain = Telegram(CounterRequest(i % 2 == 0 ? "0200" : "0700"));
        for (size_t n = 1 + below(8); n > 0; --n) {
            plain[below(plain.size())] = static_cast<char>(random());
        }
        plain.resize(below(3) == 0 ? below(700) : i % 3 == 0 ? 51 + below(398) : plain.size());
        ReadResult read = ReadRequest(AsDecrypted(plain), Port::Approval);
        if (read.kind == ReadResult::Kind::Malformed) {
            std::string answer = teller.Refuse(read.request, "93", read.problem).answer;
            ASSERT_TRUE(HasFields(
                answer, StandardLaidOut(true),
                {"RespCode=93", "PlainLength=" + LengthPrefix(static_cast<int>(answer.size()) - 4)}))
                << i;
            ++refused;
        }
    }
    EXPECT_GT(refused, 1000);
}
