#include "windows/main/AutomaticCancellation.h"
#include "counter/CounterFixture.h"
#include "support/WindowFixture.h"
#include "windows/main/Form1.h"

#include <QTest>

using namespace dovra;

namespace {

class AutomaticCancellationTest : public WindowFixture {
protected:
    AutomaticCancellationTest() { WriteIni("ComInfo", "Number", "000071052301", paths().DovraSetting()); }

    // The approval as it was sent at 09:30:15.
    static std::string Approval() { return Telegram{}.Text(); }

    // A cancellation's kind, the moment it was sent and the one it is dated at, and its cancel type.
    static std::string Moments(const std::string& request) {
        const std::string body = request.substr(4);
        return body.substr(0, 4) + " " + body.substr(16, 6) + " " + body.substr(59, 6) + " " +
               body.substr(190, 1);
    }
};

} // namespace

TEST_F(AutomaticCancellationTest, TimedOutApprovalIsJournalledThenSentAndForgotten) {
    AutomaticCancellation cancellation(services);
    auto id = cancellation.queue().journal().RecordApproval(Approval());
    ASSERT_TRUE(id);
    clock.Set({2026, 12, 7, 9, 30, 25});
    ASSERT_TRUE(cancellation.CancelApproval(*id, Approval()));
    auto entries = cancellation.queue().journal().Entries();
    ASSERT_EQ(entries.size(), 1u); // on disk before it leaves
    EXPECT_EQ(entries[0].kind, CancellationJournal::Kind::PendingCancellation);

    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(Moments(peer->requests[0]), "0600 093025 093025 2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancellation.queue().journal().Entries().empty(); }, 2000));
    EXPECT_NE(DayLog().find("[ Send 09:30:25 ] " + peer->requests[0]), std::string::npos);
}

TEST_F(AutomaticCancellationTest, ApprovalLeftOpenByAnEarlierRunIsCancelledAtStart) {
    {
        AutomaticCancellation earlier(services);
        ASSERT_TRUE(earlier.queue().journal().RecordApproval(Approval()));
    }
    // Hours later, the cancellation keeps the approval's own moment, where the server looks for it.
    clock.Set({2026, 12, 7, 14, 0, 0});
    AutomaticCancellation cancellation(services);
    cancellation.Start();
    EXPECT_FALSE(cancellation.Settled());
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(Moments(peer->requests[0]), "0600 140000 093015 2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancellation.Settled(); }, 2000));
    EXPECT_TRUE(cancellation.queue().journal().Entries().empty());
}

TEST_F(AutomaticCancellationTest, FailedSendIsRetriedWithTheSameTelegram) {
    quint16 live = peer->port();
    WriteIni("PellumInfo", "dovra_Port", "1", paths().DovraSetting()); // nothing listens there
    AutomaticCancellation cancellation(services);
    cancellation.retryTimer->setInterval(50);
    auto id = cancellation.queue().journal().RecordApproval(Approval());
    clock.Set({2026, 12, 7, 9, 30, 25});
    ASSERT_TRUE(cancellation.CancelApproval(*id, Approval()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancellation.retryTimer->isActive(); }, 2000));
    EXPECT_EQ(cancellation.queue().journal().Entries().size(), 1u);

    clock.Set({2026, 12, 7, 9, 31, 0}); // later tries keep the moment of the time-out
    WriteIni("PellumInfo", "dovra_Port", std::to_string(live), paths().DovraSetting());
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(Moments(peer->requests[0]), "0600 093025 093025 2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancellation.queue().journal().Entries().empty(); }, 2000));
    QTest::qWait(120);
    EXPECT_EQ(peer->requests.size(), 1u);
}

TEST_F(AutomaticCancellationTest, AnAnsweredApprovalTheDiskCannotRecordIsToldOnceAndWrittenAtARetry) {
    bool removable = false; // a virus scanner holds every entry open
    auto remover = [&](const std::filesystem::path& file) {
        return removable && CancellationJournal::RemoveFile(file);
    };
    {
        AutomaticCancellation run(services, nullptr, remover);
        run.retryTimer->setInterval(20);
        Form1 main(services, &run);
        auto id = run.queue().journal().RecordApproval(Approval());
        auto blocker = paths().root / "Journal" / (*id + ".answered.new");
        std::filesystem::create_directories(blocker);
        run.SettleApproval(*id);
        run.SettleApproval(*id);
        run.Start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 2000));
        std::filesystem::remove(blocker);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                auto entries = run.queue().journal().Entries();
                return entries.size() == 1 && entries[0].kind == CancellationJournal::Kind::AnsweredApproval;
            },
            2000));
        EXPECT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text,
                  "거래 기록을 갱신할 수 없습니다. 승인은 정상 처리되었으며 취소되지 않습니다. "
                  "저장 공간과 폴더 권한을 확인해주세요");
    }
    // The next start sends nothing for it and tidies the journal once the disk lets it.
    removable = true;
    AutomaticCancellation next(services);
    next.Start();
    QTest::qWait(100);
    EXPECT_TRUE(peer->requests.empty());
    EXPECT_TRUE(next.queue().journal().Entries().empty());
}
