#include "exchanges/ExchangeFixture.h"

using namespace dovra;

namespace {

using CancellationTest = ExchangeTest;

// An approval journalled as the payment does, and cancelled as at its time-out.
std::string CancelOne(AutomaticCancellation& cancellations, const Telegram& approval = {}) {
    auto id = cancellations.RecordApproval(approval.Text());
    EXPECT_TRUE(id && cancellations.CancelApproval(*id, approval.Text()));
    return id.value_or("");
}

} // namespace

TEST_F(CancellationTest, AFailedCancellationIsRetriedWithTheSameTelegram) {
    Set("PellumInfo", "dovra_Port", "1"); // nothing listens there
    CancelOne(cancellations());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Timer("retryTimer")->isActive(); }, 2000));
    std::string journalled = journal().Entries().at(0).telegram;
    clock.Set({2026, 12, 7, 9, 31, 0}); // later tries keep the moment of the time-out
    Set("PellumInfo", "dovra_Port", std::to_string(peer->port()));
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4), journalled);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Journal().empty(); }, 2000));
    QTest::qWait(120);
    EXPECT_EQ(peer->requests.size(), 1u);
}

// A scanner holds the cancellation's file after it has left: it is not sent again and again in this
// run; the next start may send it once more (the server answers 22, which moves no money).
TEST_F(CancellationTest, ASentCancellationWhoseFileStaysIsSentOnceARun) {
    remover = [](const std::filesystem::path& file) {
        return file.extension() != ".cancel" && CancellationJournal::RemoveFile(file);
    };
    CancelOne(cancellations());
    ASSERT_TRUE(peer->WaitForRequests(1));
    QTest::qWait(200);
    EXPECT_EQ(peer->connections, 1);
    EXPECT_EQ(Journal(), std::vector<std::string>{"cancel:000071052301"});

    remover = CancellationJournal::RemoveFile;
    StartRun();
    cancellations().LoggedIn();
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[1], peer->requests[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Journal().empty(); }, 2000));
}

// The server takes a cancellation only from its merchant's session: an earlier run's approvals and
// cancellations wait for their merchant's login, and one the server answers with 77 waits for that
// merchant's next login.
TEST_F(CancellationTest, ACancellationGoesUnderItsOwnMerchantAndA77WaitsForItsNextLogin) {
    Telegram other;
    std::tie(other.merchant, other.trace) = std::tuple("000099990001", "093015990001");
    Telegram otherCancelled = other;
    std::tie(otherCancelled.msgType, otherCancelled.cancelType) = std::tuple("0600", "2");
    ASSERT_TRUE(journal().RecordApproval(Telegram{}.Text()) && journal().RecordApproval(other.Text()));
    auto timedOut = journal().RecordApproval(other.Text());
    ASSERT_TRUE(timedOut && journal().RecordCancellation(*timedOut, otherCancelled.Text()));
    Timer("answerWait")->setInterval(5000); // the server's answer is read
    peer->Answer(Telegram{.msgType = "0600", .code = "77"}.Text());
    cancellations().LoggedIn();
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(MerchantOf(peer->requests[0].substr(4)), "000071052301");
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancellations().Settled(); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(peer->requests.size(), 1u);
    const std::vector<std::string> others{"approval:000099990001", "cancel:000099990001"};
    std::vector<std::string> left{"cancel:000071052301"};
    left.insert(left.end(), others.begin(), others.end());
    EXPECT_EQ(Journal(), left);

    peer->Answer(Telegram{.msgType = "0600"}.Text());
    cancellations().LoggedIn();
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[1], peer->requests[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Journal() == others; }, 5000));

    Set("ComInfo", "Number", "000099990001");
    Timer("answerWait")->setInterval(20);
    cancellations().LoggedIn();
    ASSERT_TRUE(peer->WaitForRequests(4));
    EXPECT_EQ(MerchantOf(peer->requests[2].substr(4)) + MerchantOf(peer->requests[3].substr(4)),
              "000099990001000099990001");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Journal().empty(); }, 5000));
}

// A fault once the cancellation has left is caught where it happens: logged, told once, and the
// cancellation stays journalled for the next start.
TEST_F(CancellationTest, AFaultAfterSendingIsCaughtAndTheCancellationKept) {
    bool thrown = false;
    remover = [&](const std::filesystem::path& file) {
        if (file.extension() == ".cancel" && !std::exchange(thrown, true)) {
            throw std::runtime_error("held by a scanner");
        }
        return CancellationJournal::RemoveFile(file);
    };
    CancelOne(cancellations());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !faultsTold.empty(); }, 5000));
    EXPECT_EQ(faultsTold, std::vector<std::string>{"held by a scanner"});
    EXPECT_NE(ProgramLogText().find("FAULT   AutomaticCancellation: held by a scanner"), std::string::npos)
        << ProgramLogText();
    EXPECT_EQ(Journal(), std::vector<std::string>{"cancel:000071052301"});
    EXPECT_EQ(peer->requests.size(), 1u);
}
