#include "foundations/Ini.h"
#include "foundations/Cp949.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace dovra;
using namespace std::string_literals;

namespace {

class IniTest : public testing::Test {
protected:
    void Put(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

    TempFolder temp;
    std::filesystem::path file = temp.path() / "Dovra_setting.ini";
};

} // namespace

TEST_F(IniTest, ReadsLikeThePrivateProfileFunctions) {
    EXPECT_EQ(ReadIni("PellumInfo", "dovra_Ip", file), "");
    // "똠" is 0x8C 0x63 and "똡" 0x8C 0x64: only ASCII letters standing alone compare without case.
    Put("; comment\n[ pelluminfo ]\n  DOVRA_IP =  10.0.0.5  \ndovra_Port=\"15024\"\nquoted=' x '\nlong=" +
        std::string(1500, '7') + "\nnul=10.0.0.5\0junk\n[ComInfo]\ndovra_Ip=other\n\x8C\x63=1\n"s);
    std::string read;
    for (const char* key : {"dovra_Ip", "dovra_Port", "quoted", "long", "nul"}) {
        read += ReadIni("PellumInfo", key, file) + "|";
    }
    for (const char* key : {"dovra_ip", "dovra_Port", "\x8C\x63", "\x8C\x43"}) {
        read += ReadIni("cominfo", key, file) + "|";
    }
    EXPECT_EQ(read, "10.0.0.5|15024| x |" + std::string(1023, '7') + "|10.0.0.5|other||1||");
    EXPECT_EQ(ReadIni("Other", "dovra_Ip", file), "");
}

TEST_F(IniTest, WritesInPlaceKeepingEveryOtherLineAndCreatesWhatIsMissing) {
    Put("; installer notes\r\n[PellumInfo]\r\ndovra_Ip=1.2.3.4\r\nunknown line\r\n\r\n[Other]\r\nx=1\r\n");
    EXPECT_TRUE(WriteIni("PellumInfo", "DOVRA_IP", "127.0.0.1", file));
    EXPECT_TRUE(WriteIni("PellumInfo", "dovra_Port", "15024", file));
    EXPECT_TRUE(WriteIni("ComInfo", "Name", Utf8ToCp949("새싹아동발달센터") + "   ", file));
    // What the server sends is written as it came: a line break in it must not become a key, and a
    // value ends at its first NUL.
    EXPECT_TRUE(WriteIni("ComInfo", "Address", "evil\r\n[PellumInfo]\r\ndovra_Ip=6.6.6.6", file));
    EXPECT_TRUE(WriteIni("ComInfo", "Number", "000071052301\0tail"s, file));
    EXPECT_EQ(ReadWholeFile(file),
              "; installer notes\r\n[PellumInfo]\r\nDOVRA_IP=127.0.0.1\r\nunknown line\r\n"
              "dovra_Port=15024\r\n\r\n[Other]\r\nx=1\r\n[ComInfo]\r\nName=" +
                  Utf8ToCp949("새싹아동발달센터") +
                  "   \r\nAddress=evil  [PellumInfo]  dovra_Ip=6.6.6.6\r\nNumber=000071052301\r\n");
    EXPECT_EQ(Cp949ToUtf8(ReadIni("ComInfo", "Name", file)), "새싹아동발달센터");
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".new"));

    auto update = temp.path() / "Update" / "UpdateServiceClient.ini"; // neither folder nor file yet
    EXPECT_TRUE(WriteIni("CustomerInfo", "business_number", "1208147521", update));
    EXPECT_EQ(ReadWholeFile(update), "[CustomerInfo]\r\nbusiness_number=1208147521\r\n");
    EXPECT_FALSE(WriteIni("ComInfo", "Name", "x", temp.path())); // a folder where the file should be
}

TEST_F(IniTest, AFileSavedAsUtf8WithAMarkIsReadAndWrittenAsUtf8) {
    // Notepad's "UTF-8 with BOM": the first section must not be lost behind the mark.
    Put("\xEF\xBB\xBF[PellumInfo]\r\ndovra_Ip=127.0.0.1\r\n[ComInfo]\r\nName=새싹센터\r\n");
    EXPECT_EQ(ReadIni("PellumInfo", "dovra_Ip", file), "127.0.0.1");
    EXPECT_EQ(ReadIni("ComInfo", "Name", file), Utf8ToCp949("새싹센터"));
    EXPECT_TRUE(WriteIni("ComInfo", "Address", Utf8ToCp949("서울 마포구"), file));
    EXPECT_TRUE(WriteIni("PellumInfo", "dovra_Ip", "10.0.0.9", file));
    EXPECT_EQ(ReadWholeFile(file), "\xEF\xBB\xBF[PellumInfo]\r\ndovra_Ip=10.0.0.9\r\n[ComInfo]\r\n"
                                   "Name=새싹센터\r\nAddress=서울 마포구\r\n");
}

namespace {

// Text as Notepad's "Unicode" (little endian) or "Unicode big endian" saves it, mark first.
std::string Utf16File(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

} // namespace

TEST_F(IniTest, AFileSavedAsUtf16IsReadAndWrittenAsUtf16InItsOwnByteOrder) {
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big endian" : "little endian");
        // Line feeds alone, as some editors leave them. The won sign reaches the caller as CP949's
        // look-alike backslash, a character beyond 16 bits as two "?", a lone surrogate as one.
        Put(Utf16File(u"; note\n[PellumInfo]\n  dovra_Ip =  1.2.3.4  \n\n[ComInfo]\nName=새싹센터\n"
                      u"Odd=€₩😀\xD800\n",
                      bigEndian));
        EXPECT_EQ(ReadIni("pelluminfo", "DOVRA_IP", file), "1.2.3.4");
        EXPECT_EQ(Cp949ToUtf8(ReadIni("ComInfo", "Name", file)), "새싹센터");
        EXPECT_EQ(ReadIni("ComInfo", "Odd", file), "\xA2\xE6\\???");

        EXPECT_TRUE(WriteIni("PellumInfo", "dovra_Ip", "10.0.0.9", file));
        EXPECT_TRUE(WriteIni("PellumInfo", "dovra_Port", "15024", file));
        EXPECT_TRUE(WriteIni(Utf8ToCp949("센터"), Utf8ToCp949("주소"), Utf8ToCp949("서울 마포구"), file));
        EXPECT_EQ(ReadWholeFile(file), Utf16File(u"; note\r\n[PellumInfo]\r\ndovra_Ip=10.0.0.9\r\n"
                                                 u"dovra_Port=15024\r\n\r\n[ComInfo]\r\nName=새싹센터\r\n"
                                                 u"Odd=€₩😀\xD800\r\n[센터]\r\n주소=서울 마포구\r\n",
                                                 bigEndian));
        EXPECT_EQ(Cp949ToUtf8(ReadIni(Utf8ToCp949("센터"), Utf8ToCp949("주소"), file)), "서울 마포구");

        // A file holding only the mark stays UTF-16; a last odd byte is a character of its own.
        Put(Utf16File(u"", bigEndian));
        EXPECT_TRUE(WriteIni("CustomerInfo", "business_number", "1208147521", file));
        EXPECT_EQ(ReadWholeFile(file),
                  Utf16File(u"[CustomerInfo]\r\nbusiness_number=1208147521\r\n", bigEndian));
        Put(Utf16File(u"[A]\rk=1\r", bigEndian) + "Z");
        EXPECT_EQ(ReadIni("A", "k", file), "1");
        EXPECT_TRUE(WriteIni("A", "k", "3", file));
        EXPECT_EQ(ReadWholeFile(file), Utf16File(u"[A]\r\nk=3\r\nZ\r\n", bigEndian));
    }
}
