// The requests the counter sends and the pay button's checks before it sends one.
#include "counter/Counter.h"

#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"
#include "foundations/NumberFormat.h"
#include "transport/MessageTypes.h"
#include "transport/RequestHeader.h"
#include "transport/ResponseCodes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace dovra {

namespace {

constexpr int CardLength = 16;
// The manual lookup server knows the merchant by this issue code, whatever the settings say.
constexpr std::string_view ManualIssueCode = "KVRB";

constexpr std::array<std::string_view, 8> Reasons{
    "1 : 월 잔액사용 후, 나머지 본인부담 결제",
    "2 : 치료계획서 변경 치료단가 미반영(오기재)",
    "3 : 이전 회차분(2회분) 동시결제",
    "4 : 치료과목 2개 이상 동시결제",
    "5 : 그룹수업 일시결제",
    "6 : 교육청 승인 일시결제",
    "7 : 방과후지원 치료비 결제",
    "8 : 기타",
};

std::string_view MsgTypeOf(Entry::Kind kind) {
    switch (kind) {
    case Entry::Kind::Approval:
        return MessageType::Approval;
    case Entry::Kind::Cancellation:
        return MessageType::Cancellation;
    case Entry::Kind::BalanceInquiry:
        break;
    }
    return MessageType::BalanceInquiry;
}

std::string MessageTextOf(const Entry& entry) {
    if (entry.reason == OwnWordsReason) {
        return std::string(TrimSpaces(entry.ownWords));
    }
    if (entry.reason >= 0 && entry.reason < static_cast<int>(Reasons.size())) {
        return Utf8ToCp949(Reasons[static_cast<size_t>(entry.reason)]);
    }
    return {};
}

} // namespace

std::span<const std::string_view> AmountChangeReasons() {
    return Reasons;
}

bool IsWholeCardNumber(std::string_view card) {
    return CharCount(card) >= CardLength;
}

std::optional<std::string> CardFromTrack(std::string_view track) {
    std::string card = AnsiLeft(track, CardLength);
    if (CharCount(card) < CardLength) {
        return std::nullopt;
    }
    return card;
}

// Each date and time field reads the clock anew: a request across a second boundary carries both
// seconds, as it always has.
void Counter::Stamp(CommonHeader& header, std::string_view msgType, std::string_view merchantNumber) {
    header.MsgType = msgType;
    StampRequestHeader(header, clock_, merchantNumber);
    lastTraceNo_ = header.TraceNo;
}

// The header and the moment of a lookup or a transaction, which share them.
RequestFields Counter::StandardRequest(std::string_view msgType, std::string issueCode,
                                       const std::string& merchantNumber) {
    RequestFields f;
    f.IssueCode = std::move(issueCode);
    Stamp(f, msgType, merchantNumber);
    f.RespCode = RespCode::Success;
    f.MerchantNo = merchantNumber;
    f.TransDate = FormatDate(clock_.Now());
    f.TransTime = FormatTime(clock_.Now());
    return f;
}

std::string Counter::LoginRequest(std::string_view businessNumber, std::string_view authNo) {
    RequestFields f;
    f.IssueCode = settings_.IssueCode();
    Stamp(f, MessageType::Login, settings_.MerchantNumber());
    f.RespCode = RespCode::LoginRequest;
    f.MerchantNo = businessNumber;
    f.AuthNo = authNo;
    return AssembleLoginRequest(f);
}

std::string Counter::CardLookupRequest(LookupSource source, std::string_view card) {
    bool reader = source == LookupSource::CardReader;
    RequestFields f = StandardRequest(
        MessageType::CardLookup, reader ? settings_.IssueCode() : std::string(ManualIssueCode),
        reader ? settings_.MerchantNumber() : settings_.ManualLookupMerchantNumber());
    f.TransKind = TransactionKind::CardLookup;
    f.EntryMode = reader ? "0" : "2";
    f.CardData = std::string(card) + std::string(21, ' ');
    f.CardExtra = std::string(16, ' ');
    f.Amount = "0000000000";
    return AssembleStandardRequest(f);
}

CareShown ShowCare(const CareItem& item) {
    return {item.ItemTeacherName, FormatThousands(item.ItemAmount)};
}

std::string MerchantOf(std::string_view telegram) {
    CommonHeader header;
    CutFields<CommonHeader>(telegram, 1, header, CommonHeaderLayout);
    return std::string(TrimSpaces(header.MerchantNo));
}

PayRefusal Counter::CheckPay(const Entry& entry) const {
    // Two requests in one second could share a TraceNo when the merchant number is unknown.
    if (FormatTime(clock_.Now()) == lastTraceNo_) {
        return PayRefusal::SameSecond;
    }
    if (!IsWholeCardNumber(entry.card)) {
        return PayRefusal::EnterCardNumber;
    }
    if (entry.reason == OwnWordsReason && entry.kind == Entry::Kind::Approval &&
        (entry.ownWords == " " || entry.ownWords.empty())) {
        return PayRefusal::EnterReason;
    }
    if (!settings_.ApprovalServer()) {
        return PayRefusal::CheckServerSettings;
    }
    return PayRefusal::None;
}

std::string Counter::TransactionRequest(const Entry& entry) {
    RequestFields f =
        StandardRequest(MsgTypeOf(entry.kind), settings_.IssueCode(), settings_.MerchantNumber());
    f.TransKind = TransactionKind::Transaction;
    f.EntryMode = "0";
    f.CardData = entry.card;
    f.Amount = entry.amount;
    std::erase(f.Amount, ',');
    f.OrgAuthDate = TrimSpaces(entry.orgAuthDate);
    f.OrgApprovalNo = TrimSpaces(entry.orgApprovalNo);
    f.CancelType = entry.kind == Entry::Kind::Cancellation ? CancelType::ByMerchant : CancelType::None;
    f.CareCode = entry.careCode;
    f.TeacherCode = entry.teacherCode;
    f.TeacherName = entry.teacherName;
    f.MessageText = MessageTextOf(entry);
    return AssembleStandardRequest(f);
}

std::string Counter::AutomaticCancellation(std::string_view approvalTelegram, CancellationMoment moment) {
    RequestFields f;
    int position = CutFields<CommonHeader>(approvalTelegram, 1, f, CommonHeaderLayout);
    CutFields<TransactionBody>(approvalTelegram, position, f, TransactionBodyLayout);
    Stamp(f, MessageType::Cancellation, settings_.MerchantNumber());
    if (moment == CancellationMoment::Now) {
        f.TransDate = FormatDate(clock_.Now());
        f.TransTime = FormatTime(clock_.Now());
    }
    f.CancelType = CancelType::Automatic;
    f.TeacherCode.clear();
    return AssembleStandardRequest(f);
}

} // namespace dovra
