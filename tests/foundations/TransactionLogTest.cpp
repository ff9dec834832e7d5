#include "foundations/TransactionLog.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace dovra;

TEST(TransactionLog, AppendsCrlfLinesToTheDayFileOfTheMomentOfWriting) {
    TempFolder temp;
    auto folder = temp.path() / "Tarnwick" / "Log"; // the settings root itself is missing too
    SettableClock clock({2026, 12, 7, 23, 59, 59});
    EXPECT_TRUE(LogTelegram("[ Send ", "0450request \xB1\xE8", clock, folder));
    clock.Set({2026, 12, 8, 0, 0, 1});
    EXPECT_TRUE(LogTelegram("[ Resp ", "0450answer", clock, folder));
    EXPECT_TRUE(AppendLog("second", folder, "20261208.log"));
    EXPECT_EQ(ReadWholeFile(folder / "20261207.log"), "[ Send 23:59:59 ] 0450request \xB1\xE8\r\n");
    EXPECT_EQ(ReadWholeFile(folder / "20261208.log"), "[ Resp 00:00:01 ] 0450answer\r\nsecond\r\n");

    std::ofstream(temp.path() / "Log") << "a file where the folder should be";
    EXPECT_FALSE(AppendLog("line", temp.path() / "Log", "20261207.log"));
}
