#include "transport/ResponseCodes.h"

#include <gtest/gtest.h>

#include <ranges>
#include <set>

using namespace dovra;

TEST(ResponseCodes, TableHoldsTheServersVocabularyAndOnlyAnExactDoubleZeroSucceeds) {
    auto codes = ResponseCodeTable() | std::views::transform(&ResponseCode::code);
    EXPECT_EQ(ResponseCodeTable().size(), 56u);
    EXPECT_EQ(std::set(codes.begin(), codes.end()).size(), 56u); // none twice
    // The server words its refusals from the table (checked there); a code it lacks has no words.
    EXPECT_EQ(std::string(DescribeResponseCode("32")) + std::string(DescribeResponseCode("01")), "");
    EXPECT_TRUE(IsSuccess("00"));
    for (const char* code : {"0 ", " 0", "", "0", "000", "01"}) {
        EXPECT_FALSE(IsSuccess(code)) << '"' << code << '"';
    }
}
