#include "transport/ResponseCodes.h"

#include <gtest/gtest.h>

#include <ranges>
#include <set>

using namespace dovra;

TEST(ResponseCodes, TableHoldsTheServersVocabularyAndOnlyAnExactDoubleZeroSucceeds) {
    auto codes = ResponseCodeTable() | std::views::transform(&ResponseCode::code);
    EXPECT_EQ(ResponseCodeTable().size(), 56u);
    EXPECT_EQ(std::set(codes.begin(), codes.end()).size(), 56u); // none twice
    EXPECT_EQ(DescribeResponseCode("00"), "정상완료");
    EXPECT_EQ(DescribeResponseCode("24"), "한도초과Point 적립");
    EXPECT_EQ(DescribeResponseCode("77"), DescribeResponseCode("16"));
    EXPECT_EQ(DescribeResponseCode("96"), "주말(휴일)사용불가카드");
    EXPECT_EQ(DescribeResponseCode("99"), "미등록 치료항목");
    EXPECT_EQ(std::string(DescribeResponseCode("32")) + std::string(DescribeResponseCode("01")), "");
    EXPECT_TRUE(IsSuccess("00"));
    for (const char* code : {"0 ", " 0", "", "0", "000", "01"}) {
        EXPECT_FALSE(IsSuccess(code)) << '"' << code << '"';
    }
}
