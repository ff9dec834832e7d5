#include "foundations/ProgramLog.h"
#include "foundations/DurableFile.h"
#include "foundations/PathText.h"
#include "foundations/SettingsPaths.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <set>

using namespace dovra;

namespace {

std::set<std::string> FileNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.insert(PathToUtf8(item.path().filename()));
    }
    return names;
}

} // namespace

TEST(ProgramLog, LinesAreOneValidUtf8LineEachWithoutLongDigitRuns) {
    TempFolder temp;
    const SettingsPaths paths{temp.path() / "Tarnwick"};
    SettableClock clock({2026, 12, 7, 9, 5, 3});
    ProgramLog log(paths.ProgramLogFolder(), clock);
    // A card number and a 13-digit run go; twelve digits (an approval number) and the time stay. An
    // exception's text in the ANSI code page becomes '?' rather than breaking the file's encoding.
    log.Write(ProgramEvent::Fault, "card 9410000012345678, 1234567890123 and 123456789012\r\n"
                                   "\xB1\xE8 치료");
    clock.Set({2026, 12, 7, 23, 59, 59});
    log.Write(ProgramEvent::QtWarning, "qt.qpa.fonts: no font");
    clock.Set({2026, 12, 8, 0, 0, 0});
    log.Write(ProgramEvent::End, "exit code 0");
    EXPECT_EQ(ReadWholeFile(paths.ProgramLogFolder() / "20261207.log"),
              "2026-12-07 09:05:03 FAULT   card ****************, ************* and 123456789012  ?? 치료\r\n"
              "2026-12-07 23:59:59 QTWARN  qt.qpa.fonts: no font\r\n");
    EXPECT_EQ(ReadWholeFile(paths.ProgramLogFolder() / "20261208.log"),
              "2026-12-08 00:00:00 END     exit code 0\r\n");
    EXPECT_EQ(FileNames(paths.LogFolder()), std::set<std::string>{"Program"}); // no telegram log touched
}

TEST(ProgramLog, StartLineNamesTheBuildAndWhereItRuns) {
    TempFolder temp;
    const SettingsPaths paths{temp.path() / PathFromUtf8("타른윅 설정")};
    const auto library = PathFromUtf8("도브라 승인 시스템") / "TSeed.dll";
    SettableClock clock({2026, 12, 7, 9, 30, 15});
    ProgramLog log(paths.ProgramLogFolder(), clock);
    log.Write(ProgramEvent::Start,
              ProgramStartText("1.2.3", true, PathFromUtf8("타른윅 설정"), library, "6.4.2"));
    log.Write(ProgramEvent::Start,
              ProgramStartText("1.2.3", false, PathFromUtf8("타른윅 설정"), library, "6.4.2"));
    const std::string where =
        ", settings root 타른윅 설정, cipher library 도브라 승인 시스템/TSeed.dll, Qt 6.4.2\r\n";
#ifdef _WIN32
    auto expected = [&](std::string line) {
        for (char& c : line) {
            c = c == '/' ? '\\' : c;
        }
        return line;
    };
#else
    auto expected = [](const std::string& line) { return line; };
#endif
    EXPECT_EQ(ReadWholeFile(paths.ProgramLogFolder() / "20261207.log"),
              "2026-12-07 09:30:15 START   dovra 1.2.3 demo" + expected(where) +
                  "2026-12-07 09:30:15 START   dovra 1.2.3 release" + expected(where));
}

// Thirty days back are kept, counted across months and February; only files of the program log's
// folder named as a day go, never the telegram logs beside it.
TEST(ProgramLog, OnlyItsOwnDayFilesOlderThanThirtyDaysAreRemoved) {
    TempFolder temp;
    const SettingsPaths paths{temp.path() / "Tarnwick"};
    std::filesystem::create_directories(paths.ProgramLogFolder());
    const std::set<std::string> kept = {"20260301.log", "20260130.log", "20261307.log",
                                        "2026012.log",  "20260101.txt", "notes.txt"};
    for (const char* name : {"20260301.log", "20260130.log", "20260129.log", "20250301.log", "20261307.log",
                             "2026012.log", "20260101.txt", "notes.txt"}) {
        ASSERT_TRUE(AppendToFileDurably(paths.ProgramLogFolder() / name, "x"));
    }
    for (const char* name : {"20250101.log", "20260129.log"}) {
        ASSERT_TRUE(AppendToFileDurably(paths.LogFolder() / name, "[ Send 09:30:15 ] 0450"));
    }
    SettableClock clock({2026, 3, 1, 8, 0, 0});
    ProgramLog(paths.ProgramLogFolder(), clock).RemoveOldDays(ProgramLogKeptDays);
    EXPECT_EQ(FileNames(paths.ProgramLogFolder()), kept);
    EXPECT_EQ(FileNames(paths.LogFolder()),
              (std::set<std::string>{"20250101.log", "20260129.log", "Program"}));
}

TEST(ProgramLog, AFolderThatCannotBeWrittenOrReadIsPassedOverQuietly) {
    TempFolder temp;
    const SettingsPaths paths{temp.path() / "Tarnwick"};
    ASSERT_TRUE(AppendToFileDurably(paths.root, "a file where the settings root should be"));
    SettableClock clock({2026, 12, 7, 9, 30, 15});
    ProgramLog log(paths.ProgramLogFolder(), clock);
    log.Write(ProgramEvent::Start, "dovra");
    log.RemoveOldDays(ProgramLogKeptDays);
    ProgramLog().Write(ProgramEvent::Start, "nowhere");
    EXPECT_EQ(ReadWholeFile(paths.root), "a file where the settings root should be");
}
