#include "counter/Receipt.h"
#include "foundations/Cp949.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace dovra;

namespace {

std::string Cp949(const std::string& utf8) {
    return Utf8ToCp949(utf8);
}

// Each mark of one copy as "top, alignment (L, R or C), text", the top in millimetres below the copy's
// own start, so both copies compare against one list and a failure shows the whole page.
std::vector<std::string> Copy(const std::vector<ReceiptMark>& marks, size_t frame, double start) {
    std::vector<std::string> lines;
    for (size_t i = frame; i < marks.size() && i < frame + 28; ++i) {
        std::ostringstream line;
        if (marks[i].frame) {
            line << "frame " << marks[i].left << " " << marks[i].top << " " << marks[i].right << " "
                 << marks[i].bottom;
        } else {
            line << marks[i].top - start << "LRC"[static_cast<int>(marks[i].align)] << " "
                 << Cp949ToUtf8(marks[i].text);
        }
        lines.push_back(line.str());
    }
    return lines;
}

} // namespace

TEST(ReceiptLayout, BothCopiesLineByLineInMillimetres) {
    const MerchantDetails merchant{Cp949("새싹아동발달센터"), "000071052301", "02-3456-7890",
                                   Cp949("서울 마포구")};
    const Receipt receipt{Cp949("카드 승인"), "9410000012345678", "20261207  9:30:15",
                          "000012345678",     "40,000",           "180,000",
                          Cp949("언어치료"),  Cp949("이수진"),    merchant};
    std::vector<ReceiptMark> marks = LayOutReceipt(receipt);
    ASSERT_EQ(marks.size(), 2u * 28);
    const std::string dashes(66, '-');
    for (bool merchantCopy : {false, true}) {
        // The customer's text starts 5 mm inside its frame, the merchant's at the top of its own.
        std::vector<std::string> expected = {merchantCopy ? "frame 0 120 75 225" : "frame 0 0 75 110",
                                             "3C 특수교육지원 카드영수증",
                                             merchantCopy ? "9C ( 가맹점용 )" : "9C ( 고 객 용 )",
                                             "15C " + dashes,
                                             "18L 상호 : 새싹아동발달센터",
                                             "21L 가맹점번호 : 000071052301",
                                             "24L 주소 : 서울 마포구",
                                             "27L TEL  : 02-3456-7890",
                                             "30C " + dashes,
                                             "33L [카드 승인]",
                                             "36L 카드번호 :",
                                             "36R 9410-0000-****-5678",
                                             "39L 승인일시 :",
                                             "39R 20261207  9:30:15",
                                             "42L 승인번호 :",
                                             "42R 000012345678",
                                             "45L 승인금액 :",
                                             "45R 40,000",
                                             "48L 잔여금액 :",
                                             "48R 180,000",
                                             "51L 치료영역 :",
                                             "51R 언어치료",
                                             "54L 치료강사 :",
                                             "54R 이수진",
                                             "57C " + dashes,
                                             "60C 결제 취소시 영수증을 지참해 주시기 바랍니다.",
                                             "63C " + dashes,
                                             "66L [서 명]"};
        EXPECT_EQ(Copy(marks, merchantCopy ? 28 : 0, merchantCopy ? 120 : 5), expected);
    }
}

TEST(ReceiptLayout, MaskHidesTheThirdGroup) {
    EXPECT_EQ(MaskCardNumber("9410000012345678"), "9410-0000-****-5678");
    EXPECT_EQ(MaskCardNumber("94100000"), "9410-0000-****-0000");
}
