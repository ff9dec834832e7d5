#include "windows/main/AutomaticCancellation.h"
#include "counter/CounterFixture.h"
#include "support/WindowFixture.h"
#include "windows/main/Form1.h"

using namespace dovra;
using AutomaticCancellationTest = WindowFixture;

TEST_F(AutomaticCancellationTest, AnAnsweredApprovalTheDiskCannotRecordIsToldOnceAndWrittenAtARetry) {
    WriteIni("ComInfo", "Number", "000071052301", paths().DovraSetting());
    bool removable = false; // a virus scanner holds every entry open
    auto remover = [&](const std::filesystem::path& file) {
        return removable && CancellationJournal::RemoveFile(file);
    };
    {
        AutomaticCancellation run(services, nullptr, remover);
        run.retryTimer->setInterval(20);
        Form1 main(services, &run);
        auto id = run.queue().journal().RecordApproval(Telegram{}.Text());
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
