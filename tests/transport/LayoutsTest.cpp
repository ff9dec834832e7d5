#include "transport/Layouts.h"
#include "foundations/Cp949.h"

#include <gtest/gtest.h>

using namespace dovra;

namespace {

// Positions as documented for the 450-byte layout (1-based within the telegram), written out by hand
// rather than derived from the tables under test.
struct Documented {
    const char* name;
    int position;
    int width;
};
constexpr Documented StandardPositions[] = {
    {"MsgType", 1, 4},          {"IssueCode", 5, 4},      {"SendDate", 9, 8},      {"SendTime", 17, 6},
    {"TraceNo", 23, 12},        {"RespCode", 35, 2},      {"MerchantNo", 37, 15},  {"TransDate", 52, 8},
    {"TransTime", 60, 6},       {"TransKind", 66, 2},     {"EntryMode", 68, 1},    {"CardData", 69, 37},
    {"CardExtra", 106, 16},     {"Amount", 122, 10},      {"ApprovalNo", 132, 12}, {"OrgAuthDate", 144, 8},
    {"OrgApprovalNo", 152, 12}, {"MonthSupport", 164, 9}, {"MonthUsed", 173, 9},   {"MonthRemain", 182, 9},
    {"CancelType", 191, 1},     {"Reserved9", 192, 9},    {"CareCode", 201, 3},    {"TeacherCode", 204, 10},
    {"TeacherName", 214, 10},   {"StudentName", 224, 10}, {"SchoolName", 234, 40}, {"MessageText", 274, 32},
    {"Reserved145", 306, 145},
};

RequestFields CardReaderLookup() {
    RequestFields f;
    f.MsgType = "0200";
    f.IssueCode = "0301";
    f.SendDate = "20261207";
    f.SendTime = "093015";
    f.TraceNo = "093015052301";
    f.RespCode = "00";
    f.MerchantNo = "000071052301";
    f.TransDate = "20261207";
    f.TransTime = "093016";
    f.TransKind = "21";
    f.EntryMode = "0";
    f.CardData = "9410000012345678";
    f.Amount = "40000";
    f.TeacherName = Utf8ToCp949("이수진");
    return f;
}

} // namespace

TEST(Layouts, StandardRequestMatchesTheHandWrittenTelegram) {
    std::string expected = "0200"
                           "0301"
                           "20261207"
                           "093015"
                           "093015052301"
                           "00"
                           "000071052301   "
                           "20261207"
                           "093016"
                           "21"
                           "0"
                           "9410000012345678" +
                           std::string(21, ' ') + std::string(16, ' ') + "0000040000" +
                           std::string(12 + 8 + 12 + 27 + 1 + 9 + 3 + 10, ' ') + Utf8ToCp949("이수진") +
                           "    " + std::string(10 + 40 + 32 + 145, ' ');
    std::string telegram = AssembleStandardRequest(CardReaderLookup());
    ASSERT_EQ(telegram.size(), 450u);
    EXPECT_EQ(telegram, expected);
}

TEST(Layouts, EveryFieldStandsAtItsDocumentedPosition) {
    // Give each field a distinct marker and find it where the documentation says.
    RequestFields f;
    int i = 0;
    auto mark = [&](std::string& field) { field = std::string(1, static_cast<char>('A' + i++ % 26)); };
    for (const auto& field : CommonHeaderLayout) {
        mark(f.*field.member);
    }
    for (const auto& field : TransactionBodyLayout) {
        mark(static_cast<TransactionBody&>(f).*field.member);
    }
    std::string telegram = AssembleStandardRequest(f);
    i = 0;
    for (const Documented& d : StandardPositions) {
        std::string field =
            telegram.substr(static_cast<size_t>(d.position - 1), static_cast<size_t>(d.width));
        char marker = static_cast<char>('A' + i++ % 26);
        EXPECT_NE(field.find(marker), std::string::npos) << d.name;
        EXPECT_EQ(field.find_first_not_of(std::string(" 0") + marker), std::string::npos) << d.name;
    }
}

TEST(Layouts, LoginRequestIsTwoHundredBytes) {
    RequestFields f;
    f.MsgType = "0100";
    f.IssueCode = "0301";
    f.SendDate = "20261207";
    f.SendTime = "093015";
    f.TraceNo = "093015";
    f.RespCode = "30";
    f.MerchantNo = "1208147521";
    f.AuthNo = "abc";
    EXPECT_EQ(AssembleLoginRequest(f),
              "0100030120261207093015000000093015301208147521     abc" + std::string(146, ' '));
}

TEST(Layouts, CardAnswerBlocksAndBalanceSplitAreCutAtTheirPositions) {
    std::string answer(2000, ' ');
    auto put = [&](int position, const std::string& value) {
        answer.replace(position - 1, value.size(), value);
    };
    put(1, "0974");
    put(39, "00");
    put(228, Utf8ToCp949("김하늘"));
    put(238, "SCHOOL");
    put(278, "MESSAGE");
    const int blockStarts[] = {457, 515, 573, 631, 689, 747, 805, 863, 921};
    for (int k = 0; k < 9; ++k) {
        int at = blockStarts[k];
        put(at, std::to_string(k + 1) + "S");
        put(at + 3, "000150000");
        put(at + 12, "030000");
        put(at + 18, "ITEM" + std::to_string(k + 1));
        put(at + 38, "T00000000" + std::to_string(k + 1));
        put(at + 48, "TEACHER" + std::to_string(k + 1));
    }
    put(310, "S000100000000120000A000000000000080000");
    ResponseFields r;
    CutCardAnswer(answer, r);
    EXPECT_EQ(r.PlainLength, "0974");
    EXPECT_EQ(r.RespCode, "00");
    EXPECT_EQ(r.StudentName, Utf8ToCp949("김하늘") + "    ");
    EXPECT_EQ(r.MessageText, "MESSAGE" + std::string(25, ' '));
    for (int k = 0; k < 9; ++k) {
        const CareItem& item = r.CareItems[static_cast<size_t>(k)];
        EXPECT_EQ(item.ItemCode, std::to_string(k + 1) + "S ");
        EXPECT_EQ(item.ItemRemain, "000150000");
        EXPECT_EQ(item.ItemAmount, "030000");
        EXPECT_EQ(item.ItemName, "ITEM" + std::to_string(k + 1) + std::string(15, ' '));
        EXPECT_EQ(item.ItemTeacherCode, "T00000000" + std::to_string(k + 1));
        EXPECT_EQ(item.ItemTeacherName, "TEACHER" + std::to_string(k + 1) + "  ");
    }
    CutBalanceSplit(answer, r);
    EXPECT_EQ(r.SupportMark, "S");
    EXPECT_EQ(r.SupportUsed, "000100000");
    EXPECT_EQ(r.SupportRemain, "000120000");
    EXPECT_EQ(r.AfterSchoolMark, "A");
    EXPECT_EQ(r.AfterSchoolUsed, "000000000");
    EXPECT_EQ(r.AfterSchoolRemain, "000080000");
    EXPECT_EQ(r.BalanceRest, std::string(107, ' '));
}

TEST(Layouts, ShortAnswersNeverReadOutsideTheText) {
    ResponseFields r;
    CutCardAnswer("0010010000", r);
    EXPECT_EQ(r.RespCode, "");
    EXPECT_EQ(r.CareItems[8].ItemTeacherName, "");
    EXPECT_FALSE(CutLoginAnswer("abcd", r));
}

TEST(Layouts, LoginMerchantBlockIsTakenFromTheEndOfTheTelegram) {
    // A longer answer than ours still works: the block is the last 255 bytes of PlainLength + 4.
    std::string name = Utf8ToCp949("새싹아동발달센터");
    std::string block = name + std::string(60 - name.size(), ' ') + "000071052301" + std::string(20, ' ') +
                        "02-3456-7890 " + "ADDRESS" + std::string(143, ' ');
    std::string telegram = "0100030120261207093015093015052301001208147521     "
                           "1"
                           "  " +
                           std::string(40, '#') + block;
    std::string decrypted = "0" + std::to_string(telegram.size()) + telegram + std::string(100, ' ');
    ResponseFields r;
    ASSERT_TRUE(CutLoginAnswer(decrypted, r));
    EXPECT_EQ(r.RespCode, "00");
    EXPECT_EQ(r.LoginMark, "1");
    EXPECT_EQ(r.MerchantName, name + std::string(60 - name.size(), ' '));
    EXPECT_EQ(r.MerchantNumber, "000071052301");
    EXPECT_EQ(r.MerchantPhone, "02-3456-7890 ");
    EXPECT_EQ(r.MerchantAddress, "ADDRESS" + std::string(143, ' '));
}
