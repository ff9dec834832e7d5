#include "counter/CancellationQueue.h"
#include "counter/CounterFixture.h"

using namespace dovra;

namespace {

using Kind = CancellationJournal::Kind;
using Journalled = std::vector<std::pair<Kind, std::string>>;

class JournalTest : public CounterTest {
protected:
    // The fixture's approval, and what cancels it when sent at one moment and dated at another.
    static std::string Approval() { return Telegram{}.Text(); }
    static std::string Cancellation(const std::string& sent, const std::string& dated) {
        Telegram t{.msgType = "0600", .sendTime = sent, .trace = sent + "052301", .transTime = dated};
        std::tie(t.cancelType, t.teacherCode) = std::tuple("2", "");
        return t.Text();
    }
    std::filesystem::path File(const std::string& id, const char* suffix) const {
        return paths.root / "Journal" / (id + suffix);
    }
    static Journalled OnDisk(CancellationQueue& queue) {
        Journalled entries;
        for (const auto& entry : queue.journal().Entries()) {
            entries.emplace_back(entry.kind, entry.telegram);
        }
        return entries;
    }

    bool removable = false; // a virus scanner can hold an entry open
    CancellationJournal::FileRemover remover = [this](const std::filesystem::path& file) {
        return removable && CancellationJournal::RemoveFile(file);
    };
};

} // namespace

TEST_F(JournalTest, TimedOutApprovalIsReplacedByItsCancellationWhichWaitsUntilSent) {
    removable = true;
    CancellationQueue queue(counter, remover);
    auto id = queue.journal().RecordApproval(Approval());
    ASSERT_TRUE(id);
    EXPECT_EQ(ReadWholeFile(File(*id, ".approval")), Approval()); // on disk before it leaves
    clock.Set({2026, 12, 7, 9, 30, 25});
    ASSERT_TRUE(queue.CancelApproval(*id, Approval()));
    const Journalled pending{{Kind::PendingCancellation, Cancellation("093025", "093025")}};
    EXPECT_EQ(OnDisk(queue), pending);
    EXPECT_FALSE(std::filesystem::exists(File(*id, ".approval")));

    // Not sent: it waits for the next try, and is the only one on its way.
    ASSERT_TRUE(queue.Next());
    EXPECT_FALSE(queue.Next());
    queue.Finish(CancellationQueue::Ending::NotSent);
    EXPECT_TRUE(!queue.Settled() && queue.NeedsRetry());
    EXPECT_EQ(OnDisk(queue), pending);
}

TEST_F(JournalTest, TheFurthestStateOnDiskStandsAndALaterStartCancelsOnlyOpenApprovals) {
    CancellationQueue queue(counter, remover);
    auto cancelled = queue.journal().RecordApproval(Approval());
    auto answered = queue.journal().RecordApproval(Approval());
    ASSERT_TRUE(queue.journal().RecordApproval(Approval())); // left open
    const std::string earlier = Cancellation("093016", "093015");
    ASSERT_TRUE(queue.journal().RecordCancellation(*cancelled, earlier));
    ASSERT_TRUE(queue.journal().ClearApproval(*answered)); // the removal was refused: a mark instead
    ASSERT_TRUE(std::filesystem::exists(File(*cancelled, ".approval")) &&
                std::filesystem::exists(File(*answered, ".approval")));
    EXPECT_EQ(OnDisk(queue), (Journalled{{Kind::PendingCancellation, earlier},
                                         {Kind::AnsweredApproval, ""},
                                         {Kind::OpenApproval, Approval()}}));

    // Hours later the open one is cancelled at the approval's own moment, where the server looks for it,
    // and the answered one is tidied away once the disk lets it.
    removable = true;
    clock.Set({2026, 12, 7, 14, 0, 0});
    CancellationQueue next(counter, remover);
    next.Start();
    EXPECT_FALSE(next.Settled());
    EXPECT_EQ(OnDisk(next), (Journalled{{Kind::PendingCancellation, earlier},
                                        {Kind::PendingCancellation, Cancellation("140000", "093015")}}));
    // Once sent, the cancellation takes the approval entry the disk kept back with it.
    ASSERT_EQ(next.Next()->id, *cancelled);
    next.Finish(CancellationQueue::Ending::Sent);
    EXPECT_EQ(OnDisk(next), (Journalled{{Kind::PendingCancellation, Cancellation("140000", "093015")}}));
}

TEST_F(JournalTest, AnsweredApprovalTheDiskCannotRecordIsKeptInMemory) {
    CancellationQueue queue(counter, remover);
    auto id = queue.journal().RecordApproval(Approval());
    std::filesystem::create_directories(File(*id, ".answered.new")); // the mark cannot be written either
    EXPECT_FALSE(queue.journal().ClearApproval(*id));
    EXPECT_TRUE(queue.SettleApproval(*id, true));
    queue.Start();
    EXPECT_FALSE(queue.Next());
    EXPECT_EQ(OnDisk(queue), (Journalled{{Kind::OpenApproval, Approval()}}));
    EXPECT_TRUE(queue.Settled() && queue.NeedsRetry());

    std::filesystem::remove(File(*id, ".answered.new"));
    queue.RetryRecords();
    EXPECT_TRUE(queue.Settled() && !queue.NeedsRetry());
}
