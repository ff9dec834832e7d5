#include "transport/ResponseCodes.h"
#include "foundations/Cp949.h"

#include <gtest/gtest.h>

#include <set>

using namespace dovra;

TEST(ResponseCodes, TableHoldsTheServersVocabulary) {
    auto table = ResponseCodeTable();
    ASSERT_EQ(table.size(), 56u);
    std::set<std::string_view> codes;
    for (const auto& row : table) {
        codes.insert(row.code);
    }
    EXPECT_EQ(codes.size(), 56u);
    EXPECT_EQ(DescribeResponseCode("00"), "정상완료");
    EXPECT_EQ(DescribeResponseCode("24"), "한도초과Point 적립");
    EXPECT_EQ(DescribeResponseCode("77"), DescribeResponseCode("16"));
    EXPECT_EQ(DescribeResponseCode("75"), "거래불가능금액");
    EXPECT_EQ(DescribeResponseCode("96"), "주말(휴일)사용불가카드");
    EXPECT_EQ(DescribeResponseCode("99"), "미등록 치료항목");
    EXPECT_EQ(DescribeResponseCode("32"), "");
    EXPECT_EQ(DescribeResponseCode("01"), "");
}

TEST(ResponseCodes, OnlyAnExactDoubleZeroSucceeds) {
    EXPECT_TRUE(IsSuccess("00"));
    for (const char* code : {"0 ", " 0", "", "0", "000", "01"}) {
        EXPECT_FALSE(IsSuccess(code)) << '"' << code << '"';
    }
}

TEST(ResponseCodes, RefusalLinesCarryCodeAndMessageAsReceived) {
    std::string message = Utf8ToCp949("1일 사용한도 초과입니다") + std::string(9, ' ');
    auto approval = RefusalLines(AnswerKind::Approval, "85", message);
    EXPECT_EQ(Cp949ToUtf8(approval[0]), "승인요청이 거절 되었습니다.");
    EXPECT_EQ(approval[1], Utf8ToCp949("응답코드   : ") + "85");
    EXPECT_EQ(approval[2], Utf8ToCp949("응답메세지 : ") + message);

    auto lookup = RefusalLines(AnswerKind::CardLookup, "32", "");
    EXPECT_EQ(Cp949ToUtf8(lookup[0]), "카드정보조회가 거절 되었습니다.");
    EXPECT_EQ(Cp949ToUtf8(lookup[1]), "응답코드   : 32");
    EXPECT_EQ(Cp949ToUtf8(lookup[2]), "응답메세지 : ");

    auto cancel = RefusalLines(AnswerKind::Cancellation, "23", "x");
    EXPECT_EQ(Cp949ToUtf8(cancel[0]), "취소요청이 거절 되었습니다");
    EXPECT_EQ(Cp949ToUtf8(cancel[1]), "거절코드   : 23");
    EXPECT_EQ(Cp949ToUtf8(cancel[2]), "거절메세지 : x");

    auto balance = RefusalLines(AnswerKind::BalanceInquiry, "17", "y");
    EXPECT_EQ(Cp949ToUtf8(balance[0]), "잔액조회가 거절 되었습니다");
    EXPECT_EQ(Cp949ToUtf8(balance[1]), "거절코드   : 17");
}
