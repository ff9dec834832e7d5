// The answers the counter reads: the login's merchant, a card lookup's care items, a transaction's
// result lines and receipt.
#include "counter/Counter.h"

#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"
#include "foundations/NumberFormat.h"
#include "transport/ResponseCodes.h"

namespace dovra {

namespace {

namespace Texts {
constexpr std::string_view LookupDone = "카드정보조회가 정상처리 되었습니다.";
constexpr std::string_view ApprovalDone = "승인요청이 정상처리 되었습니다";
constexpr std::string_view CancellationDone = "취소요청이 정상처리 되었습니다";
constexpr std::string_view BalanceDone = "잔액조회가 정상처리 되었습니다";
constexpr std::string_view ApprovalNo = "승인번호   : ";
constexpr std::string_view StudentName = "학생이름   : ";
constexpr std::string_view SchoolName = "학교명     : ";
constexpr std::string_view MonthSupport = "월지원금액 : ";
constexpr std::string_view MonthUsed = "월사용금액 : ";
constexpr std::string_view MonthRemain = "월잔여금액 : ";
constexpr std::string_view SupportUsed = "치료지원 월사용금액 : ";
constexpr std::string_view SupportRemain = "치료지원 월잔여금액 : ";
constexpr std::string_view AfterSchoolUsed = "방과후 월사용금액 :  ";
constexpr std::string_view AfterSchoolRemain = "방과후 월잔여금액 :  ";
// The card reader's lookup says it with one space fewer than the balance inquiry.
constexpr std::string_view LookupAfterSchoolRemain = "방과후 월잔여금액 : ";
constexpr std::string_view AfterSchoolMark = "(방과후)";
constexpr std::string_view ReceiptApproval = "카드 승인";
constexpr std::string_view ReceiptCancellation = "카드 취소";
} // namespace Texts

// A label and a field as received.
std::string Line(std::string_view label, std::string_view field) {
    return Utf8ToCp949(label) + std::string(field);
}

std::string AmountLine(std::string_view label, std::string_view field) {
    return Utf8ToCp949(label) + FormatThousands(field);
}

AnswerKind AnswerKindOf(Entry::Kind kind) {
    switch (kind) {
    case Entry::Kind::Approval:
        return AnswerKind::Approval;
    case Entry::Kind::Cancellation:
        return AnswerKind::Cancellation;
    case Entry::Kind::BalanceInquiry:
        break;
    }
    return AnswerKind::BalanceInquiry;
}

std::vector<std::string> Refusal(AnswerKind kind, const ResponseFields& r) {
    auto lines = RefusalLines(kind, r.RespCode, r.MessageText);
    return {lines.begin(), lines.end()};
}

// The k-th block (from 1) offered under the given name.
CareChoice Offer(const ResponseFields& r, int k, std::string name) {
    return {std::move(name), k, r.CareItems[static_cast<size_t>(k - 1)]};
}

// Only therapy ("S") and after-school ("A") items are offered by the card reader's lookup. Each
// programme's remaining budget is shown once per run of its items, from the run's first item; block 1's
// even when blank.
void ListReaderItems(const ResponseFields& r, CardOutcome& outcome) {
    std::string previous;
    for (int k = 1; k <= CareItemCount; ++k) {
        const CareItem& item = r.CareItems[static_cast<size_t>(k - 1)];
        std::string kind = AnsiRight(TrimSpaces(item.ItemCode), 1);
        bool runStarts = k == 1 || (kind != previous && !TrimSpaces(item.ItemRemain).empty());
        std::string name(TrimSpaces(item.ItemName));
        if (kind == "S") {
            outcome.choices.push_back(Offer(r, k, name));
            if (runStarts) {
                outcome.lines.push_back(AmountLine(Texts::SupportRemain, item.ItemRemain));
            }
        } else if (kind == "A") {
            outcome.choices.push_back(Offer(r, k, name + Utf8ToCp949(Texts::AfterSchoolMark)));
            if (runStarts) {
                outcome.lines.push_back(AmountLine(Texts::LookupAfterSchoolRemain, item.ItemRemain));
            }
        }
        previous = kind;
    }
}

} // namespace

LoginOutcome Counter::ReadLoginAnswer(std::string_view decrypted) const {
    ResponseFields r;
    bool readable = CutLoginAnswer(decrypted, r);
    if (!IsSuccess(r.RespCode)) {
        return {LoginOutcome::Result::Refused, {}};
    }
    if (!readable) {
        return {LoginOutcome::Result::Unreadable, {}};
    }
    return {LoginOutcome::Result::Accepted,
            {r.MerchantName, r.MerchantNumber, r.MerchantPhone, r.MerchantAddress}};
}

CardOutcome Counter::ReadCardAnswer(LookupSource source, Entry::Kind kind, std::string_view decrypted) const {
    ResponseFields r;
    CutCardAnswer(decrypted, r);
    CardOutcome outcome;
    bool reader = source == LookupSource::CardReader;
    if (IsSuccess(r.RespCode)) {
        outcome.lines = {Utf8ToCp949(Texts::LookupDone), Line(Texts::StudentName, r.StudentName),
                         Line(Texts::SchoolName, r.SchoolName)};
        if (reader) {
            ListReaderItems(r, outcome);
        } else {
            // Every one of the nine items is offered as received, and the card's remaining budget is
            // one line for the whole month.
            outcome.lines.push_back(AmountLine(Texts::MonthRemain, r.MonthRemain));
            for (int k = 1; k <= CareItemCount; ++k) {
                outcome.choices.push_back(Offer(r, k, r.CareItems[static_cast<size_t>(k - 1)].ItemName));
            }
        }
        outcome.shown =
            ShowCare(outcome.choices.empty() ? r.CareItems.front() : outcome.choices.front().care);
        outcome.careList = CardOutcome::CareList::Open;
        outcome.amountChange = true;
    } else {
        outcome.lines = Refusal(AnswerKind::CardLookup, r);
    }
    // A balance inquiry is for the whole card, so no care item is offered. Unlike the manual entry, the
    // reader's lookup also takes back the teacher and the amount change.
    if (kind == Entry::Kind::BalanceInquiry) {
        outcome.careList = CardOutcome::CareList::Withdrawn;
        outcome.choices.clear();
        outcome.shown.amount.clear();
        if (reader) {
            outcome.shown.teacher.clear();
            outcome.amountChange = false;
        }
    }
    return outcome;
}

TransactionOutcome Counter::ReadTransactionAnswer(const Entry& entry, std::string_view decrypted) const {
    ResponseFields r;
    CutStandardAnswer(decrypted, r);
    if (entry.kind == Entry::Kind::BalanceInquiry) {
        CutBalanceSplit(decrypted, r);
    }
    if (!IsSuccess(r.RespCode)) {
        return {Refusal(AnswerKindOf(entry.kind), r), std::nullopt};
    }
    if (entry.kind == Entry::Kind::BalanceInquiry) {
        return {{Utf8ToCp949(Texts::BalanceDone), Line(Texts::StudentName, r.StudentName),
                 Line(Texts::SchoolName, r.SchoolName), AmountLine(Texts::SupportUsed, r.SupportUsed),
                 AmountLine(Texts::SupportRemain, r.SupportRemain),
                 AmountLine(Texts::AfterSchoolUsed, r.AfterSchoolUsed),
                 AmountLine(Texts::AfterSchoolRemain, r.AfterSchoolRemain)},
                std::nullopt};
    }
    bool approval = entry.kind == Entry::Kind::Approval;
    TransactionOutcome outcome{
        {Utf8ToCp949(approval ? Texts::ApprovalDone : Texts::CancellationDone),
         Line(Texts::ApprovalNo, r.ApprovalNo), Line(Texts::StudentName, r.StudentName),
         Line(Texts::SchoolName, r.SchoolName), AmountLine(Texts::MonthSupport, r.MonthSupport),
         AmountLine(Texts::MonthUsed, r.MonthUsed), AmountLine(Texts::MonthRemain, r.MonthRemain)},
        Receipt{Utf8ToCp949(approval ? Texts::ReceiptApproval : Texts::ReceiptCancellation),
                AnsiLeft(r.CardData, 16), r.TransDate + "  " + FormatClockTime(r.TransTime),
                std::string(TrimSpaces(r.ApprovalNo)), FormatThousands(TrimSpaces(r.Amount)),
                FormatThousands(TrimSpaces(r.MonthRemain)), std::string(TrimSpaces(entry.careName)),
                std::string(TrimSpaces(entry.teacherName)), settings_.ReadMerchant()}};
    return outcome;
}

} // namespace dovra
