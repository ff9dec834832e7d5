#include "foundations/Ini.h"
#include "foundations/Cp949.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace dovra;

namespace {

void Put(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

class IniTest : public testing::Test {
protected:
    TempFolder temp;
    std::filesystem::path file = temp.path() / "Dovra_setting.ini";
};

} // namespace

TEST_F(IniTest, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(ReadIni("PellumInfo", "dovra_Ip", file), "");
    Put(file, "[PellumInfo]\r\ndovra_Port=15024\r\n");
    EXPECT_EQ(ReadIni("PellumInfo", "dovra_Ip", file), "");
    EXPECT_EQ(ReadIni("ComInfo", "dovra_Port", file), "");
}

TEST_F(IniTest, ReadsLikeThePrivateProfileFunctions) {
    Put(file, "; comment\n[ pelluminfo ]\n  DOVRA_IP =  10.0.0.5  \ndovra_Port=\"15024\"\nquoted=' x '\n"
              "long=" +
                  std::string(1500, '7') + "\n[ComInfo]\ndovra_Ip=other\n");
    EXPECT_EQ(ReadIni("PellumInfo", "dovra_Ip", file), "10.0.0.5");
    EXPECT_EQ(ReadIni("PellumInfo", "dovra_Port", file), "15024");
    EXPECT_EQ(ReadIni("PellumInfo", "quoted", file), " x ");
    EXPECT_EQ(ReadIni("PellumInfo", "long", file), std::string(1023, '7'));
    EXPECT_EQ(ReadIni("ComInfo", "dovra_ip", file), "other");
}

TEST_F(IniTest, TrailBytesThatLookLikeLettersAreNotFolded) {
    // "똠" is 0x8C 0x63 and "똡" 0x8C 0x64: only ASCII letters standing alone compare without case.
    WriteIni("S", Utf8ToCp949("똠"), "1", file);
    EXPECT_EQ(ReadIni("S", std::string("\x8C\x43"), file), "");
    EXPECT_EQ(ReadIni("s", Utf8ToCp949("똠"), file), "1");
}

TEST_F(IniTest, WritesInPlaceAndKeepsEveryOtherLine) {
    Put(file,
        "; installer notes\r\n[PellumInfo]\r\ndovra_Ip=1.2.3.4\r\nunknown line\r\n\r\n[Other]\r\nx=1\r\n");
    EXPECT_TRUE(WriteIni("PellumInfo", "DOVRA_IP", "127.0.0.1", file));
    EXPECT_TRUE(WriteIni("PellumInfo", "dovra_Port", "15024", file));
    EXPECT_TRUE(WriteIni("ComInfo", "Name", Utf8ToCp949("새싹아동발달센터") + "   ", file));
    EXPECT_EQ(ReadWholeFile(file),
              "; installer notes\r\n[PellumInfo]\r\nDOVRA_IP=127.0.0.1\r\nunknown line\r\n"
              "dovra_Port=15024\r\n\r\n[Other]\r\nx=1\r\n[ComInfo]\r\nName=" +
                  Utf8ToCp949("새싹아동발달센터") + "   \r\n");
    EXPECT_EQ(Cp949ToUtf8(ReadIni("ComInfo", "Name", file)), "새싹아동발달센터");
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".new"));
}

TEST_F(IniTest, CreatesFileAndFolderAndWritesInOrder) {
    auto update = temp.path() / "Update" / "UpdateServiceClient.ini";
    EXPECT_TRUE(WriteIni("CustomerInfo", "business_number", "1208147521", update));
    for (const char* key : {"Name", "Number", "Telephone", "Address", "Print"}) {
        WriteIni("ComInfo", key, "v", file);
    }
    EXPECT_EQ(ReadWholeFile(update), "[CustomerInfo]\r\nbusiness_number=1208147521\r\n");
    EXPECT_EQ(ReadWholeFile(file),
              "[ComInfo]\r\nName=v\r\nNumber=v\r\nTelephone=v\r\nAddress=v\r\nPrint=v\r\n");
}

TEST_F(IniTest, AValueCannotForgeLines) {
    // A merchant name from the server is written as it came; a line break in it must not become a key.
    WriteIni("ComInfo", "Name", "evil\r\n[PellumInfo]\r\ndovra_Ip=6.6.6.6", file);
    EXPECT_EQ(ReadIni("PellumInfo", "dovra_Ip", file), "");
    EXPECT_EQ(ReadIni("ComInfo", "Name", file), "evil  [PellumInfo]  dovra_Ip=6.6.6.6");
}

TEST_F(IniTest, AValueEndsAtItsFirstNul) {
    Put(file, std::string("[PellumInfo]\r\ndovra_Ip=10.0.0.5\0junk\r\n", 36));
    EXPECT_EQ(ReadIni("PellumInfo", "dovra_Ip", file), "10.0.0.5");
    WriteIni("ComInfo", "Number", std::string("000071052301\0tail", 17), file);
    EXPECT_EQ(ReadIni("ComInfo", "Number", file), "000071052301");
    EXPECT_EQ(ReadWholeFile(file).find("tail"), std::string::npos);
}

TEST_F(IniTest, AFileSavedAsUtf8WithAMarkIsReadAndWrittenAsUtf8) {
    // Notepad's "UTF-8 with BOM": the first section must not be lost behind the mark.
    Put(file, "\xEF\xBB\xBF[PellumInfo]\r\ndovra_Ip=127.0.0.1\r\n[ComInfo]\r\nName=새싹센터\r\n");
    EXPECT_EQ(ReadIni("PellumInfo", "dovra_Ip", file), "127.0.0.1");
    EXPECT_EQ(ReadIni("ComInfo", "Name", file), Utf8ToCp949("새싹센터"));
    EXPECT_TRUE(WriteIni("ComInfo", "Address", Utf8ToCp949("서울 마포구"), file));
    EXPECT_TRUE(WriteIni("PellumInfo", "dovra_Ip", "10.0.0.9", file));
    EXPECT_EQ(ReadWholeFile(file), "\xEF\xBB\xBF[PellumInfo]\r\ndovra_Ip=10.0.0.9\r\n[ComInfo]\r\n"
                                   "Name=새싹센터\r\nAddress=서울 마포구\r\n");
}

TEST_F(IniTest, UnwritableFileIsReported) {
    std::filesystem::create_directories(file); // a folder where the file should be
    EXPECT_FALSE(WriteIni("ComInfo", "Name", "x", file));
}
