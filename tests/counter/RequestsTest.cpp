#include "counter/CounterFixture.h"

using namespace dovra;

namespace {

class RequestsTest : public CounterTest {
protected:
    // The entry with the second of two items chosen.
    Entry LookedUp() {
        Entry entry = Paying(Entry::Kind::Approval, Art);
        std::tie(entry.careName, entry.teacherName, entry.amount, entry.reason) =
            std::tuple(Cp949("미술치료"), Cp949("이선생"), "45,000", 0);
        return entry;
    }
};

} // namespace

TEST_F(RequestsTest, LoginSendsTheBusinessNumberAndTheTracedMoment) {
    // Header (the business number as MerchantNo at 37), then AuthNo at 52.
    EXPECT_TRUE(SameTelegram(counter.LoginRequest("1208147521", "abc"),
                             "0100030120261207093015093015052301301208147521     abc" + std::string(146, ' '),
                             LoginRequestLaidOut()));
    // Before the first login the merchant number is unknown and the trace number is the time alone.
    Set("ComInfo", "Number", "");
    EXPECT_TRUE(HasFields(counter.LoginRequest("1208147521", "2580"), LoginRequestLaidOut(),
                          {"TraceNo=000000093015"}));
}

TEST_F(RequestsTest, LookupsTakeTheirMerchantAndIssueCodeFromTheirOwnSettings) {
    EXPECT_TRUE(SameTelegram(counter.CardLookupRequest(LookupSource::CardReader, "9410000012345678"),
                             Lookup().Text(), StandardLaidOut()));
    Telegram manual = Lookup();
    std::tie(manual.issueCode, manual.trace, manual.merchant, manual.mode) =
        std::tuple("KVRB", "093015887766", "000099887766", "2");
    EXPECT_TRUE(SameTelegram(counter.CardLookupRequest(LookupSource::ManualEntry, "9410000012345678"),
                             manual.Text(), StandardLaidOut()));
}

TEST_F(RequestsTest, TransactionsCarryTheChosenItemAndTheEntryAsTyped) {
    const Entry approval = LookedUp();
    Entry ownWords = approval;
    std::tie(ownWords.amount, ownWords.reason, ownWords.ownWords) =
        std::tuple("1,200,000", OwnWordsReason, Cp949("  보호자 요청  "));
    Entry cancellation = approval;
    std::tie(cancellation.kind, cancellation.reason, cancellation.orgApprovalNo, cancellation.orgAuthDate) =
        std::tuple(Entry::Kind::Cancellation, -1, " 12345678\t ", "20240105 ");
    Entry balance = approval;
    std::tie(balance.kind, balance.careCode, balance.teacherCode, balance.reason) =
        std::tuple(Entry::Kind::BalanceInquiry, Speech.code, Speech.teacherCode, -1);
    const std::pair<Entry, Telegram> cases[] = {
        // The listed reason is longer than its field: cut at 32 bytes, the split syllable a blank.
        {approval, {.message = "1 : 월 잔액사용 후, 나머지 본인 "}},
        {ownWords, {.amount = "0001200000", .message = "보호자 요청"}},
        {cancellation, {.msgType = "0600", .orgDate = "20240105", .orgNo = "12345678\t", .cancelType = "7"}},
        {balance, {.msgType = "0700", .careCode = "01S", .teacherCode = "T000000001"}},
    };
    for (const auto& [entry, expected] : cases) {
        EXPECT_TRUE(SameTelegram(counter.TransactionRequest(entry), expected.Text(), StandardLaidOut()))
            << expected.msgType;
    }
}

TEST_F(RequestsTest, AutomaticCancellationReversesTheApprovalAsSent) {
    std::string approval = counter.TransactionRequest(LookedUp());
    // A time-out just past midnight is dated then; an approval a crash left open keeps its own moment.
    Telegram expected{
        .msgType = "0600", .sendDate = "20261208", .sendTime = "000005", .trace = "000005052301"};
    std::tie(expected.transDate, expected.transTime, expected.cancelType, expected.teacherCode,
             expected.message) = std::tuple("20261208", "000005", "2", "", "1 : 월 잔액사용 후, 나머지 본인");
    clock.Set({2026, 12, 8, 0, 0, 5});
    EXPECT_TRUE(SameTelegram(counter.AutomaticCancellation(approval, CancellationMoment::Now),
                             expected.Text(), StandardLaidOut()));
    std::tie(expected.sendTime, expected.trace, expected.transDate, expected.transTime) =
        std::tuple("140000", "140000052301", "20261207", "093015");
    clock.Set({2026, 12, 8, 14, 0, 0});
    EXPECT_TRUE(SameTelegram(counter.AutomaticCancellation(approval, CancellationMoment::OfApproval),
                             expected.Text(), StandardLaidOut()));
}

TEST_F(RequestsTest, PayChecksAskInTheirOrderAndTheServerNeedsAHostAndAWholePort) {
    Set("ComInfo", "Number", "");
    Set("PellumInfo", "dovra_Port", "");
    Entry entry = Paying(Entry::Kind::Approval);
    entry.card = "94100000123456" + Cp949("가"); // fifteen characters in sixteen bytes
    entry.reason = OwnWordsReason;
    entry.ownWords = " ";
    counter.CardLookupRequest(LookupSource::CardReader, "9410000012345678");
    EXPECT_EQ(counter.CheckPay(entry), PayRefusal::SameSecond);
    clock.Set({2026, 12, 7, 9, 30, 16});
    EXPECT_EQ(counter.CheckPay(entry), PayRefusal::EnterCardNumber);
    entry.card = "9410000012345678";
    EXPECT_EQ(counter.CheckPay(entry), PayRefusal::EnterReason);
    entry.ownWords = "";
    EXPECT_EQ(counter.CheckPay(entry), PayRefusal::EnterReason);
    entry.kind = Entry::Kind::Cancellation;
    EXPECT_EQ(counter.CheckPay(entry), PayRefusal::CheckServerSettings);
    entry.kind = Entry::Kind::Approval;
    entry.ownWords = "  ";
    EXPECT_EQ(counter.CheckPay(entry), PayRefusal::CheckServerSettings);
    Set("PellumInfo", "dovra_Port", "15024");
    EXPECT_EQ(counter.CheckPay(entry), PayRefusal::None);
    // With a merchant number, a second request in the same second has a trace number of its own.
    Set("ComInfo", "Number", "000071052301");
    counter.CardLookupRequest(LookupSource::CardReader, "9410000012345678");
    EXPECT_EQ(counter.CheckPay(entry), PayRefusal::None);
    // The server itself needs a host and a whole port.
    const std::pair<const char*, int> ports[] = {
        {"+15024", 15024}, {"015024", 15024}, {"65535", 65535}, {"65536", 0},
        {"15o24", 0},      {"-1", 0},         {"0", 0},         {"", 0}};
    for (const auto& [port, expected] : ports) {
        Set("PellumInfo", "dovra_Port", port);
        auto server = counter.settings().ApprovalServer();
        EXPECT_EQ(server ? server->port : 0, expected) << port;
    }
    Set("PellumInfo", "dovra_Port", "15024");
    Set("PellumInfo", "dovra_Ip", "");
    EXPECT_FALSE(counter.settings().ApprovalServer());
}

TEST_F(RequestsTest, AnInstallerFillsInTheServerOnlyWhereNothingIsSetUnlessToldToReplace) {
    using Fault = ServerSetup::Fault;
    const std::pair<ServerSetup, Fault> checks[] = {{{"approval.example.org", "15024", "0301"}, Fault::None},
                                                    {{"10.0.0.5", "65535", "9999"}, Fault::None},
                                                    {{"", "15024", "0301"}, Fault::Host},
                                                    {{"10.0.0.5 ", "15024", "0301"}, Fault::Host},
                                                    {{"서버", "15024", "0301"}, Fault::Host},
                                                    {{"10.0.0.5", "0", "0301"}, Fault::Port},
                                                    {{"10.0.0.5", "65536", "0301"}, Fault::Port},
                                                    {{"10.0.0.5", "+1502", "0301"}, Fault::Port},
                                                    {{"10.0.0.5", "", "0301"}, Fault::Port},
                                                    {{"10.0.0.5", "15024", "301"}, Fault::IssueCode},
                                                    {{"10.0.0.5", "15024", "03a1"}, Fault::IssueCode}};
    for (const auto& [server, fault] : checks) {
        EXPECT_EQ(server.Check(), fault) << server.host << ":" << server.port << " " << server.issueCode;
    }

    // An administrator's host stays, the empty port and the missing code are filled in, and the
    // merchant's details beside them keep their bytes.
    const std::string merchant = "[ComInfo]\r\nName=" + Fit("새싹아동발달센터", 60) + "\r\n";
    std::filesystem::remove(paths.DovraSetting());
    std::ofstream(paths.DovraSetting(), std::ios::binary)
        << "[PellumInfo]\r\ndovra_Ip=10.0.0.9\r\ndovra_Port= \r\n" + merchant;
    Settings settings(paths);
    ServerSetup release{"approval.example.org", "15024", "0301"};
    EXPECT_TRUE(settings.SaveServer(release, false));
    EXPECT_EQ(ReadWholeFile(paths.DovraSetting()),
              "[PellumInfo]\r\ndovra_Ip=10.0.0.9\r\ndovra_Port=15024\r\ndovra_Issue_code=0301\r\n" +
                  merchant);
    EXPECT_TRUE(settings.SaveServer(release, true));
    EXPECT_EQ(
        ReadWholeFile(paths.DovraSetting()),
        "[PellumInfo]\r\ndovra_Ip=approval.example.org\r\ndovra_Port=15024\r\ndovra_Issue_code=0301\r\n" +
            merchant);

    std::filesystem::remove(paths.DovraSetting());
    std::filesystem::create_directory(paths.DovraSetting()); // a folder where the file should be
    EXPECT_FALSE(settings.SaveServer(release, false));
}
