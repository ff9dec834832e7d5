#pragma once

#include "foundations/AnsiText.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace dovra {

// Telegram layouts as tables of {name, width, fill}. Building appends PadField row by row and reading
// cuts row by row, so every position follows from the widths above it and is never written twice.

enum class Fill { Numeric, Text };

template <class Record> struct Field {
    std::string_view name;
    int width;
    Fill fill;
    std::string Record::*member;
};

// The first 51 bytes of every telegram body.
struct CommonHeader {
    std::string MsgType, IssueCode, SendDate, SendTime, TraceNo, RespCode, MerchantNo;
};

// Fields 8 to 29 of the 450-byte layout shared by the card lookups and the transactions.
struct TransactionBody {
    std::string TransDate, TransTime, TransKind, EntryMode, CardData, CardExtra, Amount, ApprovalNo,
        OrgAuthDate, OrgApprovalNo, MonthSupport, MonthUsed, MonthRemain, CancelType, Reserved9, CareCode,
        TeacherCode, TeacherName, StudentName, SchoolName, MessageText, Reserved145;
};

// One of the nine 58-byte care item blocks that follow a card lookup answer.
struct CareItem {
    std::string ItemCode, ItemRemain, ItemAmount, ItemName, ItemTeacherCode, ItemTeacherName;
};

// How a balance inquiry answer divides Reserved145.
struct BalanceSplit {
    std::string SupportMark, SupportUsed, SupportRemain, AfterSchoolMark, AfterSchoolUsed, AfterSchoolRemain,
        BalanceRest;
};

// The login answer after its header: a mark, two spare bytes, and the merchant block that the client
// takes from the end of the telegram.
struct LoginAnswer {
    std::string LoginMark, LoginReserved;
};
struct MerchantBlock {
    std::string MerchantName, MerchantNumber, MerchantUnused, MerchantPhone, MerchantAddress;
};

struct RequestFields : CommonHeader, TransactionBody {
    std::string AuthNo;
};

struct LoginAuth {
    std::string AuthNo;
};

struct ResponseFields : CommonHeader, TransactionBody, BalanceSplit, LoginAnswer, MerchantBlock {
    std::string PlainLength;
    std::string Reserved2;
    std::array<CareItem, 9> CareItems;
};

template <class Record> constexpr int LayoutWidth(std::span<const Field<Record>> layout) {
    int width = 0;
    for (const auto& field : layout) {
        width += field.width;
    }
    return width;
}

inline constexpr int PlainLengthWidth = 4;
inline constexpr int LoginRequestWidth = 200;
inline constexpr int StandardTelegramWidth = 450;
inline constexpr int Reserved2Width = 2; // between a card answer's 450-byte layout and its care items
inline constexpr int CareItemCount = 9;
inline constexpr int CardAnswerWidth = 978; // prefix, 450-byte layout, Reserved2, nine care items
inline constexpr int MerchantBlockWidth = 255;

inline constexpr std::array<Field<CommonHeader>, 7> CommonHeaderLayout{{
    {"MsgType", 4, Fill::Numeric, &CommonHeader::MsgType},
    {"IssueCode", 4, Fill::Numeric, &CommonHeader::IssueCode},
    {"SendDate", 8, Fill::Numeric, &CommonHeader::SendDate},
    {"SendTime", 6, Fill::Numeric, &CommonHeader::SendTime},
    {"TraceNo", 12, Fill::Numeric, &CommonHeader::TraceNo},
    {"RespCode", 2, Fill::Numeric, &CommonHeader::RespCode},
    {"MerchantNo", 15, Fill::Text, &CommonHeader::MerchantNo},
}};

inline constexpr std::array<Field<LoginAuth>, 1> LoginAuthLayout{{
    {"AuthNo", 149, Fill::Text, &LoginAuth::AuthNo},
}};

inline constexpr std::array<Field<TransactionBody>, 22> TransactionBodyLayout{{
    {"TransDate", 8, Fill::Numeric, &TransactionBody::TransDate},
    {"TransTime", 6, Fill::Numeric, &TransactionBody::TransTime},
    {"TransKind", 2, Fill::Numeric, &TransactionBody::TransKind},
    {"EntryMode", 1, Fill::Text, &TransactionBody::EntryMode},
    {"CardData", 37, Fill::Text, &TransactionBody::CardData},
    {"CardExtra", 16, Fill::Text, &TransactionBody::CardExtra},
    {"Amount", 10, Fill::Numeric, &TransactionBody::Amount},
    {"ApprovalNo", 12, Fill::Text, &TransactionBody::ApprovalNo},
    {"OrgAuthDate", 8, Fill::Text, &TransactionBody::OrgAuthDate},
    {"OrgApprovalNo", 12, Fill::Text, &TransactionBody::OrgApprovalNo},
    {"MonthSupport", 9, Fill::Text, &TransactionBody::MonthSupport},
    {"MonthUsed", 9, Fill::Text, &TransactionBody::MonthUsed},
    {"MonthRemain", 9, Fill::Text, &TransactionBody::MonthRemain},
    {"CancelType", 1, Fill::Text, &TransactionBody::CancelType},
    {"Reserved9", 9, Fill::Text, &TransactionBody::Reserved9},
    {"CareCode", 3, Fill::Text, &TransactionBody::CareCode},
    {"TeacherCode", 10, Fill::Text, &TransactionBody::TeacherCode},
    {"TeacherName", 10, Fill::Text, &TransactionBody::TeacherName},
    {"StudentName", 10, Fill::Text, &TransactionBody::StudentName},
    {"SchoolName", 40, Fill::Text, &TransactionBody::SchoolName},
    {"MessageText", 32, Fill::Text, &TransactionBody::MessageText},
    {"Reserved145", 145, Fill::Text, &TransactionBody::Reserved145},
}};

inline constexpr std::array<Field<CareItem>, 6> CareItemLayout{{
    {"ItemCode", 3, Fill::Text, &CareItem::ItemCode},
    {"ItemRemain", 9, Fill::Numeric, &CareItem::ItemRemain},
    {"ItemAmount", 6, Fill::Numeric, &CareItem::ItemAmount},
    {"ItemName", 20, Fill::Text, &CareItem::ItemName},
    {"ItemTeacherCode", 10, Fill::Text, &CareItem::ItemTeacherCode},
    {"ItemTeacherName", 10, Fill::Text, &CareItem::ItemTeacherName},
}};

inline constexpr std::array<Field<BalanceSplit>, 7> BalanceSplitLayout{{
    {"SupportMark", 1, Fill::Text, &BalanceSplit::SupportMark},
    {"SupportUsed", 9, Fill::Numeric, &BalanceSplit::SupportUsed},
    {"SupportRemain", 9, Fill::Numeric, &BalanceSplit::SupportRemain},
    {"AfterSchoolMark", 1, Fill::Text, &BalanceSplit::AfterSchoolMark},
    {"AfterSchoolUsed", 9, Fill::Numeric, &BalanceSplit::AfterSchoolUsed},
    {"AfterSchoolRemain", 9, Fill::Numeric, &BalanceSplit::AfterSchoolRemain},
    {"BalanceRest", 107, Fill::Text, &BalanceSplit::BalanceRest},
}};

inline constexpr std::array<Field<LoginAnswer>, 2> LoginAnswerLayout{{
    {"LoginMark", 1, Fill::Text, &LoginAnswer::LoginMark},
    {"LoginReserved", 2, Fill::Text, &LoginAnswer::LoginReserved},
}};

inline constexpr std::array<Field<MerchantBlock>, 5> MerchantBlockLayout{{
    {"MerchantName", 60, Fill::Text, &MerchantBlock::MerchantName},
    {"MerchantNumber", 12, Fill::Text, &MerchantBlock::MerchantNumber},
    {"MerchantUnused", 20, Fill::Text, &MerchantBlock::MerchantUnused},
    {"MerchantPhone", 13, Fill::Text, &MerchantBlock::MerchantPhone},
    {"MerchantAddress", 150, Fill::Text, &MerchantBlock::MerchantAddress},
}};

inline constexpr int CommonHeaderWidth = LayoutWidth<CommonHeader>(CommonHeaderLayout);
static_assert(CommonHeaderWidth == 51);
static_assert(LayoutWidth<CommonHeader>(CommonHeaderLayout) + LayoutWidth<LoginAuth>(LoginAuthLayout) ==
              LoginRequestWidth);
static_assert(LayoutWidth<CommonHeader>(CommonHeaderLayout) +
                  LayoutWidth<TransactionBody>(TransactionBodyLayout) ==
              StandardTelegramWidth);
inline constexpr int CareItemWidth = LayoutWidth<CareItem>(CareItemLayout);
static_assert(CareItemWidth == 58);
static_assert(LayoutWidth<BalanceSplit>(BalanceSplitLayout) == 145);
static_assert(PlainLengthWidth + StandardTelegramWidth + Reserved2Width + CareItemCount * CareItemWidth ==
              CardAnswerWidth);
static_assert(LayoutWidth<MerchantBlock>(MerchantBlockLayout) == MerchantBlockWidth);

// Appends every field of the layout through PadField.
template <class Record>
void AppendFields(std::string& buffer, const Record& record, std::span<const Field<Record>> layout) {
    for (const auto& field : layout) {
        buffer += PadField(record.*field.member, field.fill == Fill::Numeric, field.width);
    }
}

// Cuts the layout's fields from text starting at the 1-based byte position; returns the position after.
template <class Record>
int CutFields(std::string_view text, int position, Record& record, std::span<const Field<Record>> layout) {
    for (const auto& field : layout) {
        record.*field.member = AnsiMid(text, position, field.width);
        position += field.width;
    }
    return position;
}

// The login request before its length prefix: header and AuthNo, 200 bytes.
std::string AssembleLoginRequest(const RequestFields& fields);
// The 450-byte requests before their length prefix: card lookups, approval, cancellation, balance
// inquiry.
std::string AssembleStandardRequest(const RequestFields& fields);

// Readers of a decrypted answer (the whole decrypt buffer, PlainLength first). Fields past the end of a
// short answer come out short or empty, never from outside the text.
void CutAnswerHeader(std::string_view decrypted, ResponseFields& fields);   // PlainLength and header
void CutStandardAnswer(std::string_view decrypted, ResponseFields& fields); // and fields 8 to 29
void CutBalanceSplit(std::string_view decrypted, ResponseFields& fields);   // Reserved145 divided
void CutCardAnswer(std::string_view decrypted, ResponseFields& fields);     // and Reserved2, care items
// The login answer: header, mark, and the merchant block as the last 255 bytes of the telegram of
// PlainLength + 4 bytes. Returns false when PlainLength is not a number.
bool CutLoginAnswer(std::string_view decrypted, ResponseFields& fields);

} // namespace dovra
