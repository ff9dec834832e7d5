#include "foundations/InstanceLock.h"
#include "foundations/TransactionLog.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace dovra;
using Outcome = InstanceLock::Outcome;

TEST(InstanceLock, IsRefusedToASecondHolderUntilTheFirstIsGone) {
    TempFolder temp;
    const auto root = temp.path() / "Tarnwick"; // made by the lock on a first start
    {
        std::optional<InstanceLock> first{AcquireInstanceLock(root)};
        ASSERT_EQ(first->outcome(), Outcome::Acquired);
        InstanceLock moved = std::move(*first);
        first.reset(); // what was moved from must not let go of the lock
        EXPECT_EQ(AcquireInstanceLock(root).outcome(), Outcome::HeldByAnother);
    }
    EXPECT_EQ(AcquireInstanceLock(root).outcome(), Outcome::Acquired);
#ifdef _WIN32
    // The sign the installer asks for stands while a lock is held, and only then; another program's
    // lock of its own settings root may stand the sign meanwhile (ctest runs two at once).
    auto signShown = [] {
        HANDLE sign = OpenMutexW(SYNCHRONIZE, FALSE, RunningMarkerName);
        return sign != nullptr && CloseHandle(sign);
    };
    const bool shownElsewhere = signShown();
    {
        auto held = AcquireInstanceLock(root);
        EXPECT_TRUE(signShown());
        EXPECT_EQ(AcquireInstanceLock(root).outcome(), Outcome::HeldByAnother);
        EXPECT_TRUE(signShown()) << "a refused second instance took the sign with it";
    }
    if (!shownElsewhere) {
        EXPECT_FALSE(signShown()) << "the sign outlived the lock";
    }
#endif

    std::ofstream(temp.path() / "file") << "not a folder";
    EXPECT_EQ(AcquireInstanceLock(temp.path() / "file").outcome(), Outcome::FolderNotWritable);
#ifndef _WIN32
    // A killed holder leaves no stale lock.
    const auto killed = temp.path() / "Killed";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        auto held = AcquireInstanceLock(killed);
        char acquired = held.outcome() == Outcome::Acquired ? 'y' : 'n';
        if (write(ready[1], &acquired, 1) == 1) {
            pause(); // holds the lock until killed
        }
        _exit(1);
    }
    char acquired = 0;
    ASSERT_TRUE(read(ready[0], &acquired, 1) == 1 && acquired == 'y');
    EXPECT_EQ(AcquireInstanceLock(killed).outcome(), Outcome::HeldByAnother);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(AcquireInstanceLock(killed).outcome(), Outcome::Acquired);
#endif
}

TEST(TransactionLog, AppendsCrlfLinesToTheDayFileOfTheMomentOfWriting) {
    TempFolder temp;
    auto folder = temp.path() / "Tarnwick" / "Log"; // the settings root itself is missing too
    SettableClock clock({2026, 12, 7, 23, 59, 59});
    EXPECT_TRUE(LogTelegram("[ Send ", "0450request \xB1\xE8", clock, folder));
    clock.Set({2026, 12, 8, 0, 0, 1});
    EXPECT_TRUE(LogTelegram("[ Resp ", "0450answer", clock, folder));
    EXPECT_EQ(ReadWholeFile(folder / "20261207.log"), "[ Send 23:59:59 ] 0450request \xB1\xE8\r\n");
    EXPECT_EQ(ReadWholeFile(folder / "20261208.log"), "[ Resp 00:00:01 ] 0450answer\r\n");
}
