#include "foundations/TransactionLog.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace dovra;

TEST(TransactionLog, CreatesMissingRootAndAppendsCrlfLines) {
    TempFolder temp;
    auto folder = temp.path() / "Tarnwick" / "Log"; // the settings root itself is missing too
    EXPECT_TRUE(AppendLog("first", folder, "20261207.log"));
    EXPECT_TRUE(AppendLog("second \xB1\xE8", folder, "20261207.log"));
    EXPECT_EQ(ReadWholeFile(folder / "20261207.log"), "first\r\nsecond \xB1\xE8\r\n");
}

TEST(TransactionLog, DayFileFollowsTheMomentOfWriting) {
    TempFolder temp;
    SettableClock clock({2026, 12, 7, 23, 59, 59});
    EXPECT_TRUE(LogTelegram("[ Send ", "0450request", clock, temp.path()));
    clock.Set({2026, 12, 8, 0, 0, 1});
    EXPECT_TRUE(LogTelegram("[ Resp ", "0450answer", clock, temp.path()));
    EXPECT_EQ(ReadWholeFile(temp.path() / "20261207.log"), "[ Send 23:59:59 ] 0450request\r\n");
    EXPECT_EQ(ReadWholeFile(temp.path() / "20261208.log"), "[ Resp 00:00:01 ] 0450answer\r\n");
}

TEST(TransactionLog, UnwritableLogIsReportedNotThrown) {
    TempFolder temp;
    std::ofstream(temp.path() / "Log") << "a file where the folder should be";
    EXPECT_FALSE(AppendLog("line", temp.path() / "Log", "20261207.log"));
}
