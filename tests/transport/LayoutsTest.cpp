#include "transport/Layouts.h"
#include "foundations/Cp949.h"
#include "support/TelegramFields.h"

#include <gtest/gtest.h>

using namespace dovra;

namespace {

// The fields of a record in layout order, each followed by "|", so that a boundary in the wrong place
// shows even where the bytes around it run on.
template <class Record, size_t N>
std::string Join(const Record& record, const std::array<Field<Record>, N>& layout) {
    std::string joined;
    for (const auto& field : layout) {
        joined += record.*field.member + "|";
    }
    return joined;
}

// Widths of the 450-byte layout as documented, written out by hand rather than taken from the tables
// under test; each field starts where the one before it ends.
constexpr size_t StandardWidths[] = {4, 4,  8, 6, 12, 2, 15, 8, 6,  2,  1,  37, 16, 10, 12,
                                     8, 12, 9, 9, 9,  1, 9,  3, 10, 10, 10, 40, 32, 145};

} // namespace

// The card-reader lookup written out by hand, one piece a field. Every field is set, in the order the
// structures declare them, so that none can hide another's width.
TEST(Layouts, StandardRequestIsTheHandWrittenTelegramWithEveryFieldWhereDocumented) {
    RequestFields fields{{"0200", "301", "20261207", "93015", "093015052301", "", "000071052301"},
                         {"20261207",   "093016", "21",     "0",      "9410000012345678", "",  "40000", "A1",
                          "20261206",   "B2",     "150000", "30000",  "120000",           "1", "",      "1S",
                          "T000000001", "",       "",       "SCHOOL", "MESSAGE",          ""},
                         ""};
    fields.TeacherName = Utf8ToCp949("이수진");
    fields.StudentName = Utf8ToCp949("김하늘");
    const std::string golden = std::string("0200") + "0301" + "20261207" + "093015" + "093015052301" + "00" +
                               "000071052301   " + "20261207" + "093016" + "21" + "0" + "9410000012345678" +
                               std::string(21, ' ') + std::string(16, ' ') + "0000040000" + "A1          " +
                               "20261206" + "B2          " + "150000   " + "30000    " + "120000   " + "1" +
                               std::string(9, ' ') + "1S " + "T000000001" + Utf8ToCp949("이수진") + "    " +
                               Utf8ToCp949("김하늘") + "    " + "SCHOOL" + std::string(34, ' ') + "MESSAGE" +
                               std::string(25, ' ') + std::string(145, ' ');
    EXPECT_TRUE(SameTelegram(AssembleStandardRequest(fields), golden, StandardLaidOut()));

    // Cut again by the same tables, each field must be the golden bytes at its documented place.
    ResponseFields cut;
    CutStandardAnswer("0450" + golden, cut);
    std::string documented;
    for (size_t position = 0; size_t width : StandardWidths) {
        documented += golden.substr(position, width) + "|";
        position += width;
    }
    EXPECT_EQ(Join<CommonHeader>(cut, CommonHeaderLayout) + Join<TransactionBody>(cut, TransactionBodyLayout),
              documented);
}
