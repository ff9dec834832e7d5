#include "server/RequestReader.h"

#include "foundations/AnsiText.h"
#include "transport/Envelope.h"
#include "transport/MessageTypes.h"

namespace dovra {

namespace {

int WidthOf(std::string_view msgType) {
    if (msgType == MessageType::Login) {
        return LoginRequestWidth;
    }
    if (msgType == MessageType::CardLookup || msgType == MessageType::Approval ||
        msgType == MessageType::Cancellation || msgType == MessageType::BalanceInquiry) {
        return StandardTelegramWidth;
    }
    return 0;
}

// Amount is left to the exchange to judge: a balance inquiry carries whatever the amount box held,
// and an approval refuses a bad amount with its own code. The manual lookup's issue code is letters.
template <class Record>
std::string FirstNonNumeric(const Record& record, std::span<const Field<Record>> layout, Port port) {
    for (const auto& field : layout) {
        const std::string& value = record.*field.member;
        if (field.fill != Fill::Numeric || field.name == "Amount") {
            continue;
        }
        if (field.name == "IssueCode" && port == Port::Lookup && value == "KVRB") {
            continue;
        }
        if (!AllDigits(value)) {
            return std::string(field.name);
        }
    }
    return {};
}

ReadResult Malformed(Request request, std::string problem) {
    return {ReadResult::Kind::Malformed, std::move(request), std::move(problem)};
}

} // namespace

ReadResult ReadRequest(std::string_view decrypted, Port port) {
    std::string_view plain = RequestFrame(decrypted);
    ReadResult result;
    if (plain.size() < PlainLengthWidth + CommonHeaderWidth) {
        result.problem = "too short for a header: " + std::to_string(plain.size()) + " bytes";
        return result;
    }
    Request& request = result.request;
    request.body = std::string(plain.substr(PlainLengthWidth));
    CutFields<CommonHeader>(request.body, 1, request.fields, CommonHeaderLayout);

    std::string_view prefix = plain.substr(0, PlainLengthWidth);
    const std::string& msgType = request.fields.MsgType;
    int width = WidthOf(msgType);
    if (width == 0) {
        return Malformed(std::move(request), "unknown MsgType");
    }
    if (port == Port::Lookup && msgType != MessageType::CardLookup) {
        return Malformed(std::move(request), "only card lookups on this port");
    }
    if (static_cast<int>(request.body.size()) != width) {
        return Malformed(std::move(request),
                         "wrong length: " + std::to_string(request.body.size()) + " bytes");
    }
    if (!AllDigits(prefix) || std::stoi(std::string(prefix)) != CharCount(request.body)) {
        return Malformed(std::move(request), "length prefix does not match");
    }
    std::string bad = FirstNonNumeric<CommonHeader>(request.fields, CommonHeaderLayout, port);
    if (msgType == MessageType::Login) {
        LoginAuth auth;
        CutFields<LoginAuth>(request.body, CommonHeaderWidth + 1, auth, LoginAuthLayout);
        request.fields.AuthNo = auth.AuthNo;
    } else {
        CutFields<TransactionBody>(request.body, CommonHeaderWidth + 1, request.fields,
                                   TransactionBodyLayout);
        if (bad.empty()) {
            bad = FirstNonNumeric<TransactionBody>(request.fields, TransactionBodyLayout, port);
        }
    }
    if (!bad.empty()) {
        return Malformed(std::move(request), "not a number in " + bad);
    }
    result.kind = ReadResult::Kind::Request;
    return result;
}

} // namespace dovra
