#include "transport/ResponseCodes.h"
#include "foundations/Cp949.h"

#include <gtest/gtest.h>

#include <set>

using namespace dovra;

TEST(ResponseCodes, TableHoldsTheServersVocabulary) {
    std::set<std::string_view> codes;
    for (const auto& row : ResponseCodeTable()) {
        codes.insert(row.code);
    }
    EXPECT_EQ(ResponseCodeTable().size(), 56u);
    EXPECT_EQ(codes.size(), 56u);
    EXPECT_EQ(DescribeResponseCode("00"), "정상완료");
    EXPECT_EQ(DescribeResponseCode("24"), "한도초과Point 적립");
    EXPECT_EQ(DescribeResponseCode("77"), DescribeResponseCode("16"));
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
    EXPECT_EQ(approval[1] + "|" + approval[2], Utf8ToCp949("응답코드   : 85|응답메세지 : ") + message);
    const std::pair<AnswerKind, const char*> kinds[] = {
        {AnswerKind::Approval, "승인요청이 거절 되었습니다.|응답코드   : 32|응답메세지 : x"},
        {AnswerKind::CardLookup, "카드정보조회가 거절 되었습니다.|응답코드   : 32|응답메세지 : x"},
        {AnswerKind::Cancellation, "취소요청이 거절 되었습니다|거절코드   : 32|거절메세지 : x"},
        {AnswerKind::BalanceInquiry, "잔액조회가 거절 되었습니다|거절코드   : 32|거절메세지 : x"}};
    for (const auto& [kind, expected] : kinds) {
        auto lines = RefusalLines(kind, "32", "x");
        EXPECT_EQ(Cp949ToUtf8(lines[0] + "|" + lines[1] + "|" + lines[2]), expected);
    }
}
