#include "windows/main/AutomaticCancellation.h"
#include "support/WindowFixture.h"
#include "windows/main/Form1.h"

#include <QTest>

using namespace dovra;

namespace {

class AutomaticCancellationTest : public WindowFixture {
protected:
    AutomaticCancellationTest() { WriteIni("ComInfo", "Number", "000071052301", paths().DovraSetting()); }

    // The approval of 40,000 for care item 01S with teacher T000000001, as it was sent at 09:30:15.
    static std::string Approval() {
        return Header("0500", "00", "000071052301") +
               "20261207"
               "093015"
               "11"
               "0"
               "9410000012345678" +
               std::string(21 + 16, ' ') + "0000040000" + std::string(12 + 8 + 12 + 27, ' ') + "0" +
               std::string(9, ' ') +
               "01S"
               "T000000001" +
               PadField(Utf8ToCp949("이수진"), false, 10) + std::string(10 + 40 + 32 + 145, ' ');
    }

    // What the server must receive for it, sent at the given time and dated at the other; the three
    // syllables of the name count once each.
    static std::string ExpectedCancellation(const std::string& sent = "093025",
                                            const std::string& dated = "093025") {
        return "0447"
               "0600"
               "0301"
               "20261207" +
               sent + sent + "052301" +
               "00"
               "000071052301   "
               "20261207" +
               dated +
               "11"
               "0"
               "9410000012345678" +
               std::string(21 + 16, ' ') + "0000040000" + std::string(12 + 8 + 12 + 27, ' ') + "2" +
               std::string(9, ' ') + "01S" + std::string(10, ' ') +
               PadField(Utf8ToCp949("이수진"), false, 10) + std::string(10 + 40 + 32 + 145, ' ');
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
    EXPECT_EQ(peer->requests[0], ExpectedCancellation());
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancellation.queue().journal().Entries().empty(); }, 2000));
    EXPECT_NE(DayLog().find("[ Send 09:30:25 ] " + ExpectedCancellation()), std::string::npos);
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
    EXPECT_EQ(peer->requests[0], ExpectedCancellation("140000", "093015"));
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
    EXPECT_EQ(peer->requests[0], ExpectedCancellation());
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancellation.queue().journal().Entries().empty(); }, 2000));
    QTest::qWait(120);
    EXPECT_EQ(peer->requests.size(), 1u);
}

TEST_F(AutomaticCancellationTest, AnAnsweredApprovalIsNeverCancelledWhateverTheDiskDoes) {
    bool removable = false; // a virus scanner holds every entry open
    auto remover = [&](const std::filesystem::path& file) {
        return removable && CancellationJournal::RemoveFile(file);
    };
    {
        AutomaticCancellation run(services, nullptr, remover);
        run.retryTimer->setInterval(20);
        Form1 main(services, &run);
        // The entry stays, but a mark beside it records the answer.
        auto marked = run.queue().journal().RecordApproval(Approval());
        run.SettleApproval(*marked);
        // Neither removed nor marked: the outcome is kept in memory and written again at each retry.
        auto unmarked = run.queue().journal().RecordApproval(Approval());
        auto blocker = paths().root / "Journal" / (*unmarked + ".answered.new");
        std::filesystem::create_directories(blocker);
        run.SettleApproval(*unmarked);
        run.SettleApproval(*unmarked);
        run.Start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 2000));
        std::filesystem::remove(blocker);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                auto entries = run.queue().journal().Entries();
                return std::all_of(entries.begin(), entries.end(), [](const CancellationJournal::Entry& e) {
                    return e.kind == CancellationJournal::Kind::AnsweredApproval;
                });
            },
            2000));
        EXPECT_EQ(messages.shown.size(), 1u); // told once
        EXPECT_EQ(messages.shown[0].text,
                  "거래 기록을 갱신할 수 없습니다. 승인은 정상 처리되었으며 취소되지 않습니다. "
                  "저장 공간과 폴더 권한을 확인해주세요");
    }
    // The next start sends nothing for them and tidies the journal once the disk lets it.
    removable = true;
    AutomaticCancellation next(services);
    next.Start();
    QTest::qWait(100);
    EXPECT_TRUE(peer->requests.empty());
    EXPECT_TRUE(next.queue().journal().Entries().empty());
}
