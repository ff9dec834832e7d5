#include "transport/Envelope.h"
#include "foundations/Cp949.h"
#include "support/TempFolder.h"
#include "transport/Layouts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

using namespace dovra;

namespace {

class EnvelopeTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(cipher.Load(TSEED_LIBRARY, error)) << error;
    }

    std::string DayLog() const { return ReadWholeFile(temp.path() / "20261207.log"); }

    CipherLibrary cipher;
    SettableClock clock{{2026, 12, 7, 9, 30, 15}};
    TempFolder temp;
    EnvelopeContext context{cipher, clock, temp.path()};
};

std::string LoginBody() {
    RequestFields f;
    f.MsgType = "0100";
    f.IssueCode = "0301";
    f.SendDate = "20261207";
    f.SendTime = "093015";
    f.TraceNo = "093015";
    f.RespCode = "30";
    f.MerchantNo = "1208147521";
    f.AuthNo = "abc";
    return AssembleLoginRequest(f);
}

} // namespace

TEST(Framing, PrefixesAreZeroAndTheCount) {
    EXPECT_EQ(LengthPrefix(352), "0352");
    EXPECT_EQ(LengthPrefix(416), "0416");
    EXPECT_EQ(LengthPrefix(96), "096");
    EXPECT_EQ(LengthPrefix(1024), "01024");
    EXPECT_EQ(FramePlainRequest(std::string(200, 'x')).substr(0, 4), "0200");
    EXPECT_EQ(FramePlainRequest(std::string(450, 'x')).substr(0, 4), "0450");
    // Three syllables in 450 bytes: the request counts characters, the answer counts bytes.
    std::string body = Utf8ToCp949("김하늘") + std::string(444, ' ');
    EXPECT_EQ(FramePlainRequest(body).substr(0, 4), "0447");
    EXPECT_EQ(FramePlainAnswer(body).substr(0, 4), "0450");
}

TEST_F(EnvelopeTest, RequestIsLoggedInPlainAndSentEncrypted) {
    std::string body(450, '7');
    SealedRequest sealed = SealRequest(CardReaderLookupExchange, body, context);
    ASSERT_EQ(sealed.error, EnvelopeError::None);
    EXPECT_TRUE(sealed.logged);
    EXPECT_EQ(DayLog(), "[ Serc 09:30:15 ] 0450" + body + "\r\n");

    int count = std::stoi(sealed.wire.substr(0, 4));
    EXPECT_EQ(sealed.wire.size(), 4u + static_cast<size_t>(count));
    EXPECT_GE(count, 100);
    EXPECT_EQ(DayLog().find(sealed.wire.substr(4, 40)), std::string::npos) << "cipher text in the log";

    // What the server receives decrypts back to the plain frame.
    TelegramAssembler assembler;
    ASSERT_EQ(assembler.Feed(sealed.wire), TelegramAssembler::Status::Complete);
    std::string decrypted;
    ASSERT_EQ(DecryptToBuffer(cipher, assembler.CipherText(), 2000, decrypted), EnvelopeError::None);
    EXPECT_EQ(decrypted.substr(0, 454), "0450" + body);
}

TEST_F(EnvelopeTest, LoginLogHidesTheAuthenticationNumber) {
    std::string body = LoginBody();
    SealedRequest sealed = SealRequest(LoginExchange, body, context);
    ASSERT_EQ(sealed.error, EnvelopeError::None);
    std::string expected = "0200" + body.substr(0, 51) + std::string(149, '*');
    EXPECT_EQ(DayLog(), "[ Send 09:30:15 ] " + expected + "\r\n");

    // The telegram itself still carries it.
    TelegramAssembler assembler;
    assembler.Feed(sealed.wire);
    std::string decrypted;
    ASSERT_EQ(DecryptToBuffer(cipher, assembler.CipherText(), 4000, decrypted), EnvelopeError::None);
    EXPECT_EQ(decrypted.substr(0, 204), "0200" + body);
}

TEST_F(EnvelopeTest, AnswerInPiecesIsDecryptedOnceWithTheWholeBufferLogged) {
    std::string telegram = "0500" + std::string(446, '1');
    std::string wire;
    ASSERT_EQ(EncryptToWire(cipher, FramePlainAnswer(telegram), 2000, wire), EnvelopeError::None);

    TelegramAssembler assembler;
    std::string arrival = "  " + wire + "  ";
    for (size_t i = 0; i + 1 < arrival.size() - 2; ++i) {
        ASSERT_EQ(assembler.Feed(arrival.substr(i, 1)), TelegramAssembler::Status::Incomplete) << i;
    }
    ASSERT_EQ(assembler.Feed(arrival.substr(arrival.size() - 3)), TelegramAssembler::Status::Complete);

    OpenedAnswer opened = OpenAnswer(TransactionExchange, assembler.CipherText(), context);
    ASSERT_EQ(opened.error, EnvelopeError::None);
    ASSERT_EQ(opened.decrypted.size(), 2000u);
    // The rest of the buffer stays as filled, so the day's log stays text.
    EXPECT_EQ(opened.decrypted, "0450" + telegram + std::string(1546, ' '));
    EXPECT_EQ(DayLog(), "[ Resp 09:30:15 ] " + opened.decrypted + "\r\n");
}

TEST_F(EnvelopeTest, DamagedAnswerIsReportedAndLoggedWithoutItsText) {
    std::string wire;
    ASSERT_EQ(EncryptToWire(cipher, FramePlainAnswer(std::string(450, '2')), 2000, wire),
              EnvelopeError::None);
    wire[50] = wire[50] == 'A' ? 'B' : 'A';
    OpenedAnswer opened = OpenAnswer(TransactionExchange, wire.substr(4), context);
    EXPECT_EQ(opened.error, EnvelopeError::DecryptFailed);
    EXPECT_TRUE(opened.decrypted.empty());
    EXPECT_EQ(Cp949ToUtf8(DayLog()),
              "[ Resp 09:30:15 ] 복호화 실패: 암호문 " + std::to_string(wire.size() - 4) + "바이트\r\n");
}

TEST_F(EnvelopeTest, NothingIsSentOrLoggedWithoutTheLibrary) {
    CipherLibrary missing;
    std::string error;
    EXPECT_FALSE(missing.Load(temp.path() / "libTSeed.so", error));
    EXPECT_FALSE(error.empty());
    EnvelopeContext without{missing, clock, temp.path()};
    SealedRequest sealed = SealRequest(TransactionExchange, std::string(450, '1'), without);
    EXPECT_EQ(sealed.error, EnvelopeError::LibraryNotLoaded);
    EXPECT_TRUE(sealed.wire.empty());
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "20261207.log"));
}

TEST_F(EnvelopeTest, TelegramTooBigForThePrefixIsRefused) {
    // Random bytes do not compress: the cipher text could not be announced in 4 characters.
    std::mt19937 random(978);
    std::string noise;
    for (int i = 0; i < 978; ++i) {
        noise += static_cast<char>(random() & 0xFF);
    }
    SealedRequest sealed = SealRequest(TransactionExchange, noise, context);
    EXPECT_NE(sealed.error, EnvelopeError::None);
    EXPECT_TRUE(sealed.wire.empty());
}

TEST(TelegramAssembler, RefusesPrefixesThatAreNotACount) {
    for (const char* bad : {"abcd", "0x10", "1000", "0000", "-100"}) {
        TelegramAssembler assembler;
        EXPECT_EQ(assembler.Feed(std::string(bad) + std::string(1000, 'A')),
                  TelegramAssembler::Status::Malformed)
            << bad;
    }
    TelegramAssembler assembler;
    EXPECT_EQ(assembler.Feed("01"), TelegramAssembler::Status::Incomplete);
    EXPECT_EQ(assembler.Feed("05" + std::string(104, 'Z')), TelegramAssembler::Status::Incomplete);
    EXPECT_EQ(assembler.Feed("ZX"), TelegramAssembler::Status::Complete);
    EXPECT_EQ(assembler.CipherText(), std::string(105, 'Z'));
    assembler.Reset();
    EXPECT_EQ(assembler.status(), TelegramAssembler::Status::Incomplete);
}
