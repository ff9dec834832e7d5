#include "counter/CounterFixture.h"
#include "counter/Receipt.h"

#include <sstream>

using namespace dovra;

namespace {

// Each mark of one copy on a line as "top, alignment (L, R or C), text", the top in millimetres below the
// copy's own start, so both copies compare against one page and a failure shows where they part.
std::string Copy(const std::vector<ReceiptMark>& marks, size_t frame, double start) {
    std::ostringstream page;
    for (size_t i = frame; i < marks.size() && i < frame + 28; ++i) {
        const ReceiptMark& m = marks[i];
        std::string text = Cp949ToUtf8(m.text);
        if (text.find_first_not_of('-') == std::string::npos) {
            text = std::to_string(text.size()) + " dashes";
        }
        m.frame ? page << "frame " << m.left << " " << m.top << " " << m.right << " " << m.bottom << "\n"
                : page << m.top - start << "LRC"[static_cast<int>(m.align)] << " " << text << "\n";
    }
    return page.str();
}

} // namespace

TEST(ReceiptLayout, BothCopiesLineByLineInMillimetres) {
    const MerchantDetails merchant{Cp949("새싹아동발달센터"), "000071052301", "02-3456-7890",
                                   Cp949("서울 마포구")};
    const Receipt receipt{Cp949("카드 승인"), "9410000012345678", "20261207  9:30:15",
                          "000012345678",     "40,000",           "180,000",
                          Cp949("언어치료"),  Cp949("이수진"),    merchant};
    EXPECT_EQ(MaskCardNumber("94100000"), "9410-0000-****-0000"); // a short card is filled with zeros
    std::vector<ReceiptMark> marks = LayOutReceipt(receipt);
    ASSERT_EQ(marks.size(), 2u * 28);
    for (bool merchantCopy : {false, true}) {
        // The customer's text starts 5 mm inside its frame, the merchant's at the top of its own.
        EXPECT_EQ(Copy(marks, merchantCopy ? 28 : 0, merchantCopy ? 120 : 5),
                  (merchantCopy ? "frame 0 120 75 225\n3C 특수교육지원 카드영수증\n9C ( 가맹점용 )\n"
                                : "frame 0 0 75 110\n3C 특수교육지원 카드영수증\n9C ( 고 객 용 )\n") +
                      std::string(
                          "15C 66 dashes\n18L 상호 : 새싹아동발달센터\n21L 가맹점번호 : 000071052301\n"
                          "24L 주소 : 서울 마포구\n27L TEL  : 02-3456-7890\n30C 66 dashes\n"
                          "33L [카드 승인]\n36L 카드번호 :\n36R 9410-0000-****-5678\n"
                          "39L 승인일시 :\n39R 20261207  9:30:15\n42L 승인번호 :\n42R 000012345678\n"
                          "45L 승인금액 :\n45R 40,000\n48L 잔여금액 :\n48R 180,000\n"
                          "51L 치료영역 :\n51R 언어치료\n54L 치료강사 :\n54R 이수진\n57C 66 dashes\n"
                          "60C 결제 취소시 영수증을 지참해 주시기 바랍니다.\n63C 66 dashes\n66L [서 명]\n"));
    }
}
