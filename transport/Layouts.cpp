#include "transport/Layouts.h"

namespace dovra {

std::string AssembleLoginRequest(const RequestFields& fields) {
    std::string buffer;
    AppendFields<CommonHeader>(buffer, fields, CommonHeaderLayout);
    AppendFields<LoginAuth>(buffer, LoginAuth{fields.AuthNo}, LoginAuthLayout);
    return buffer;
}

std::string AssembleStandardRequest(const RequestFields& fields) {
    std::string buffer;
    AppendFields<CommonHeader>(buffer, fields, CommonHeaderLayout);
    AppendFields<TransactionBody>(buffer, fields, TransactionBodyLayout);
    return buffer;
}

namespace {
constexpr int HeaderStart = PlainLengthWidth + 1;
constexpr int BodyStart = HeaderStart + CommonHeaderWidth;
constexpr int Reserved145Start =
    PlainLengthWidth + StandardTelegramWidth - LayoutWidth<BalanceSplit>(BalanceSplitLayout) + 1;
} // namespace

void CutAnswerHeader(std::string_view decrypted, ResponseFields& fields) {
    fields.PlainLength = AnsiMid(decrypted, 1, PlainLengthWidth);
    CutFields<CommonHeader>(decrypted, HeaderStart, fields, CommonHeaderLayout);
}

void CutStandardAnswer(std::string_view decrypted, ResponseFields& fields) {
    CutAnswerHeader(decrypted, fields);
    CutFields<TransactionBody>(decrypted, BodyStart, fields, TransactionBodyLayout);
}

void CutBalanceSplit(std::string_view decrypted, ResponseFields& fields) {
    CutFields<BalanceSplit>(decrypted, Reserved145Start, fields, BalanceSplitLayout);
}

void CutCardAnswer(std::string_view decrypted, ResponseFields& fields) {
    CutStandardAnswer(decrypted, fields);
    int position = PlainLengthWidth + StandardTelegramWidth + 1;
    fields.Reserved2 = AnsiMid(decrypted, position, Reserved2Width);
    position += Reserved2Width;
    for (CareItem& item : fields.CareItems) {
        position = CutFields<CareItem>(decrypted, position, item, CareItemLayout);
    }
}

bool CutLoginAnswer(std::string_view decrypted, ResponseFields& fields) {
    CutAnswerHeader(decrypted, fields);
    CutFields<LoginAnswer>(decrypted, BodyStart, fields, LoginAnswerLayout);
    const std::string& prefix = fields.PlainLength;
    if (prefix.size() != PlainLengthWidth || !AllDigits(prefix)) {
        return false;
    }
    std::string telegram = AnsiLeft(decrypted, std::stoi(prefix) + PlainLengthWidth);
    CutFields<MerchantBlock>(AnsiRight(telegram, MerchantBlockWidth), 1, fields, MerchantBlockLayout);
    return true;
}

} // namespace dovra
