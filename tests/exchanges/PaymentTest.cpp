#include "exchanges/ExchangeFixture.h"

using namespace dovra;

namespace {

using Kind = ExchangeOutcome::Kind;

// The payment exchange as the main window drives it: an approval of 40,000 for care item 01S.
class PaymentTest : public ExchangeTest {
protected:
    PaymentTest() { Watch(*payment); }
    void Watch(Payment& exchange) {
        QObject::connect(&exchange, &Payment::Finished, &exchange,
                         [this](const PaymentResult& result) { results.push_back(result); });
    }
    static Entry Approval() {
        Entry entry = Paying(Entry::Kind::Approval);
        std::tie(entry.careCode, entry.teacherCode, entry.amount) = std::tuple("01S", "T000000001", "40,000");
        return entry;
    }
    bool Finished(size_t n) {
        return QTest::qWaitFor([&] { return results.size() >= n; }, 5000);
    }
    // The next second, so the same-second guard lets the next request go.
    void Later() { clock.Set({2026, 12, 7, 9, 30, ++second}); }
    // A virus scanner that holds each approval's entry while a folder stands where its mark would go:
    // the disk keeps no record of the outcome.
    void HoldEntries() {
        remover = [this](const std::filesystem::path& file) {
            if (!holding) {
                return CancellationJournal::RemoveFile(file);
            }
            Block(PathToUtf8(file.stem()), ".answered");
            return false;
        };
    }
    void LetGo() {
        holding = false;
        for (const auto& item : std::filesystem::directory_iterator(paths.root / "Journal")) {
            if (item.is_directory()) {
                std::filesystem::remove(item.path());
            }
        }
    }
    static std::string Utf8(const QString& text) { return text.toStdString(); }

    std::unique_ptr<Payment> payment = std::make_unique<Payment>(*run, nullptr);
    std::vector<PaymentResult> results;
    bool holding = true;
    int second = 15;
};

const char* const OutcomeNotRecorded = "거래 기록을 갱신할 수 없습니다. 승인은 정상 처리되었으며 취소되지 "
                                       "않습니다. 저장 공간과 폴더 권한을 확인해주세요";

} // namespace

// A full disk never stands between a time-out and its cancellation: it goes at once from memory, is
// tried again while the server cannot be reached, and the merchant hears that it was not recorded.
TEST_F(PaymentTest, ATimedOutApprovalIsCancelledEvenWhenTheDiskRefusesToRecordIt) {
    peer->Answer("", ScriptedPeer::Delivery::Never);
    payment->Start(Approval());
    ASSERT_TRUE(peer->WaitForRequests(1));
    Block(journal().Entries().at(0).id, ".cancel");
    Set("PellumInfo", "dovra_Port", "1");                     // nothing listens there
    payment->findChild<QTimer*>("timeMain")->setInterval(20); // the ten seconds, driven
    ASSERT_TRUE(Finished(1));
    EXPECT_EQ(results[0].outcome.kind, Kind::NotAnswered);
    EXPECT_EQ(Utf8(results[0].outcome.message), "연결할 수 없습니다");
    EXPECT_EQ(Utf8(results[0].outcome.warning),
              "자동취소를 기록할 수 없습니다. 승인 결과를 가맹점 관리 화면에서 확인해주세요");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Timer("retryTimer")->isActive(); }, 2000));
    Set("PellumInfo", "dovra_Port", std::to_string(peer->port()));
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->KindOf(1), "06002");
    // Sent, its approval's entry goes too, so neither a later login of this run nor the next start
    // cancels it again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Journal().empty(); }, 2000));
    cancellations().LoggedIn();
    QTest::qWait(100);
    EXPECT_EQ(peer->requests.size(), 2u);
}

// The answer is read before the journal is settled: what the merchant is told of a disk that keeps no
// record fits the answer, once a run, and the record is written when the disk lets it.
TEST_F(PaymentTest, ARefusalIsNeverToldAsAnApprovalAndAnApprovalNotRecordedIsToldOnce) {
    HoldEntries();
    peer->Answer(Telegram{.code = "88"}.Text());
    payment->Start(Approval());
    ASSERT_TRUE(Finished(1));
    EXPECT_EQ(Cp949ToUtf8(results[0].lines.at(0)), "승인요청이 거절 되었습니다.");
    EXPECT_EQ(Utf8(results[0].outcome.warning), "");
    for (int approval = 0; approval < 2; ++approval) {
        Later();
        peer->Answer(Telegram{.approvalNo = "12345678"}.Text());
        payment->Start(Approval());
        ASSERT_TRUE(Finished(2 + approval));
        EXPECT_TRUE(results.back().receipt.has_value());
        EXPECT_EQ(Utf8(results.back().outcome.warning), approval == 0 ? OutcomeNotRecorded : "");
    }
    EXPECT_EQ(Journal(), std::vector<std::string>(3, "approval:000071052301"));
    LetGo();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Journal().empty(); }, 2000));
    // None of the three was cancelled at the retries.
    EXPECT_EQ(peer->requests.size(), 3u);
}

// Sealing failed (no cipher library): the entry is withdrawn, and when the disk refuses that too, this
// run still never cancels an approval that never left.
TEST_F(PaymentTest, AnApprovalThatCouldNotBeSealedIsNeverCancelled) {
    CipherLibrary unloaded;
    Exchanges sealless(unloaded, clock, paths, {}, std::make_shared<const ProgramLog>(),
                       [this](const std::filesystem::path& file) { return remover(file); });
    sealless.findChild<QTimer*>("retryTimer")->setInterval(20);
    Payment unsealed(sealless, nullptr);
    Watch(unsealed);
    HoldEntries();
    unsealed.Start(Approval());
    ASSERT_TRUE(Finished(1));
    EXPECT_EQ(results[0].outcome.kind, Kind::Refused);
    EXPECT_EQ(Utf8(results[0].outcome.message), "전문을 암호화할 수 없어 보내지 않았습니다");
    EXPECT_EQ(Journal(), std::vector<std::string>{"approval:000071052301"});
    sealless.cancellations().LoggedIn();
    EXPECT_EQ(Journal(), std::vector<std::string>{"approval:000071052301"});
    LetGo();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Journal().empty(); }, 2000));
}
