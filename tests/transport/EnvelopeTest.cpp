#include "transport/Envelope.h"
#include "foundations/Cp949.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace dovra;

namespace {

class EnvelopeTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(cipher.Load(TSEED_LIBRARY, error)) << error;
    }

    std::string DayLog() const { return ReadWholeFile(temp.path() / "20261207.log"); }

    // What the server gets of a request: the wire taken apart and decrypted, as it would.
    std::string Received(const SealedRequest& sealed) {
        EXPECT_TRUE(sealed.error == EnvelopeError::None && sealed.logged);
        EXPECT_EQ(sealed.wire.substr(0, 4), LengthPrefix(static_cast<int>(sealed.wire.size()) - 4));
        EXPECT_EQ(DayLog().find(sealed.wire.substr(4, 40)), std::string::npos) << "cipher text in the log";
        TelegramAssembler assembler;
        EXPECT_EQ(assembler.Feed(sealed.wire), TelegramAssembler::Status::Complete);
        std::string decrypted;
        EXPECT_EQ(DecryptToBuffer(cipher, assembler.CipherText(), 2000, decrypted), EnvelopeError::None);
        return decrypted;
    }

    CipherLibrary cipher;
    SettableClock clock{{2026, 12, 7, 9, 30, 15}};
    TempFolder temp;
    EnvelopeContext context{cipher, clock, temp.path()};
};

} // namespace

// Only a request that goes out is logged: in plain, but without the login's authentication number.
TEST_F(EnvelopeTest, RequestIsSentEncryptedAndLoggedInPlainOnlyWhenItGoesOut) {
    std::string lookup(450, '7');
    EXPECT_EQ(Received(SealRequest(CardReaderLookupExchange, lookup, context)).substr(0, 454),
              "0450" + lookup);
    std::string login = "0100030120261207093015000000093015301208147521     abc" + std::string(146, ' ');
    EXPECT_EQ(Received(SealRequest(LoginExchange, login, context)).substr(0, 204), "0200" + login);

    CipherLibrary missing;
    std::string error;
    EXPECT_TRUE(!missing.Load(temp.path() / "libTSeed.so", error) && !error.empty());
    SealedRequest unloaded =
        SealRequest(TransactionExchange, std::string(450, '1'), {missing, clock, temp.path()});
    EXPECT_EQ(unloaded.error, EnvelopeError::LibraryNotLoaded);
    // More than the cipher library takes: refused there, so nothing may go out cut short.
    SealedRequest tooBig = SealRequest(TransactionExchange, std::string(2000, ' '), context);
    EXPECT_NE(tooBig.error, EnvelopeError::None);
    EXPECT_TRUE(unloaded.wire.empty() && tooBig.wire.empty());
    EXPECT_EQ(DayLog(), "[ Serc 09:30:15 ] 0450" + lookup + "\r\n[ Send 09:30:15 ] 0200" +
                            login.substr(0, 51) + std::string(149, '*') + "\r\n");
}

// A prefix is "0" and the count, nothing else: the request's counts characters (a Hangul syllable once),
// the answer's bytes.
TEST_F(EnvelopeTest, FramedAnswerInPiecesIsDecryptedOnceAndLoggedWholeAndADamagedOneWithoutItsText) {
    EXPECT_EQ(LengthPrefix(96), "096");
    EXPECT_EQ(LengthPrefix(1024), "01024");
    std::string body = Utf8ToCp949("김하늘") + std::string(444, ' ');
    EXPECT_EQ(FramePlainRequest(body), "0447" + body);
    EXPECT_EQ(FramePlainAnswer(body), "0450" + body);
    std::string telegram = "0500" + std::string(446, '1');
    std::string wire;
    ASSERT_EQ(EncryptToWire(cipher, FramePlainAnswer(telegram), CipherBuffer, wire), EnvelopeError::None);

    // Nothing else is taken for a count, and the assembler that refused one takes the next answer.
    TelegramAssembler assembler;
    for (const char* bad : {"abcd", "0x10", "1000", "0000", "-100"}) {
        EXPECT_EQ(assembler.Feed(bad + std::string(1000, 'A')), TelegramAssembler::Status::Malformed) << bad;
        assembler.Reset();
    }
    std::string arrival = "  " + wire + "  ";
    for (size_t i = 0; i + 1 < arrival.size() - 2; ++i) {
        ASSERT_EQ(assembler.Feed(arrival.substr(i, 1)), TelegramAssembler::Status::Incomplete) << i;
    }
    ASSERT_EQ(assembler.Feed(arrival.substr(arrival.size() - 3)), TelegramAssembler::Status::Complete);

    OpenedAnswer opened = OpenAnswer(TransactionExchange, assembler.CipherText(), context);
    ASSERT_EQ(opened.error, EnvelopeError::None);
    // The rest of the buffer stays as filled, so the day's log stays text.
    EXPECT_EQ(opened.decrypted, "0450" + telegram + std::string(1546, ' '));

    wire[50] = wire[50] == 'A' ? 'B' : 'A';
    OpenedAnswer damaged = OpenAnswer(TransactionExchange, wire.substr(4), context);
    EXPECT_EQ(damaged.error, EnvelopeError::DecryptFailed);
    EXPECT_TRUE(damaged.decrypted.empty());
    EXPECT_EQ(Cp949ToUtf8(DayLog()), "[ Resp 09:30:15 ] " + opened.decrypted +
                                         "\r\n[ Resp 09:30:15 ] 복호화 실패: 암호문 " +
                                         std::to_string(wire.size() - 4) + "바이트\r\n");
}
