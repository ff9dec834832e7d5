#include "server/Answers.h"

#include "foundations/Cp949.h"
#include "transport/Envelope.h"
#include "transport/MessageTypes.h"
#include "transport/ResponseCodes.h"

namespace dovra {

AnswerShape ShapeOf(std::string_view msgType) {
    if (msgType == MessageType::Login) {
        return AnswerShape::Login;
    }
    return msgType == MessageType::CardLookup ? AnswerShape::Card : AnswerShape::Standard;
}

ResponseFields EchoAnswer(const RequestFields& request, std::string_view respCode) {
    ResponseFields answer;
    static_cast<CommonHeader&>(answer) = request;
    static_cast<TransactionBody&>(answer) = request;
    answer.RespCode = std::string(respCode);
    answer.MessageText = Utf8ToCp949(DescribeResponseCode(respCode));
    return answer;
}

std::string FrameAnswer(AnswerShape shape, const ResponseFields& fields) {
    std::string telegram;
    AppendFields<CommonHeader>(telegram, fields, CommonHeaderLayout);
    if (shape == AnswerShape::Login) {
        AppendFields<LoginAnswer>(telegram, fields, LoginAnswerLayout);
        AppendFields<MerchantBlock>(telegram, fields, MerchantBlockLayout);
        return FramePlainAnswer(telegram);
    }
    AppendFields<TransactionBody>(telegram, fields, TransactionBodyLayout);
    if (shape == AnswerShape::Card) {
        telegram += PadField(fields.Reserved2, false, Reserved2Width);
        for (const CareItem& item : fields.CareItems) {
            if (item.ItemCode.empty()) {
                telegram += std::string(static_cast<size_t>(CareItemWidth), ' ');
            } else {
                AppendFields<CareItem>(telegram, item, CareItemLayout);
            }
        }
    }
    return FramePlainAnswer(telegram);
}

std::string AmountText(std::int64_t amount, int width) {
    return PadField(std::to_string(amount), true, width);
}

std::string RespCodeOf(std::string_view framedAnswer) {
    ResponseFields fields;
    CutAnswerHeader(framedAnswer, fields);
    return fields.RespCode;
}

} // namespace dovra
