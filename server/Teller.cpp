#include "server/Teller.h"

#include "foundations/AnsiText.h"

#include "foundations/Cp949.h"
#include "server/Answers.h"
#include "server/AuthNumber.h"
#include "transport/MessageTypes.h"
#include "transport/ResponseCodes.h"

#include <QCryptographicHash>

#include <algorithm>
#include <chrono>
#include <optional>

namespace dovra {

namespace {

std::string Trim(std::string_view s) {
    return std::string(TrimSpaces(s));
}

std::optional<std::int64_t> PositiveAmount(std::string_view field) {
    std::string digits = Trim(field);
    if (!AllDigits(digits) || digits.size() > AmountWidth) {
        return std::nullopt;
    }
    std::int64_t amount = std::stoll(digits);
    return amount > 0 ? std::optional(amount) : std::nullopt;
}

// The terminal's clock at the request. Only the reader's digit check stands behind these fields, so a
// day or an hour that cannot exist reads as no moment at all.
std::optional<std::int64_t> ClientMoment(const RequestFields& fields) {
    const std::string& date = fields.TransDate;
    const std::string& time = fields.TransTime;
    constexpr size_t DateWidth = FieldWidth(TransactionBodyLayout, &TransactionBody::TransDate);
    constexpr size_t TimeWidth = FieldWidth(TransactionBodyLayout, &TransactionBody::TransTime);
    if (date.size() != DateWidth || time.size() != TimeWidth || !AllDigits(date) || !AllDigits(time)) {
        return std::nullopt;
    }
    auto number = [](const std::string& s, size_t from, size_t width) {
        return std::stoi(s.substr(from, width));
    };
    LocalTime t{number(date, 0, 4), number(date, 4, 2), number(date, 6, 2),
                number(time, 0, 2), number(time, 2, 2), number(time, 4, 2)};
    using namespace std::chrono;
    bool realDay =
        year_month_day(year(t.year), month(static_cast<unsigned>(t.month)), day(static_cast<unsigned>(t.day)))
            .ok();
    if (!realDay || t.hour > 23 || t.minute > 59 || t.second > 59) {
        return std::nullopt;
    }
    return Teller::SecondsOf(t);
}

std::string RequestHash(std::string_view body) {
    QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(body.data(), static_cast<qsizetype>(body.size())), QCryptographicHash::Sha256);
    return std::string(digest.constData(), static_cast<size_t>(digest.size()));
}

void FillHolder(ResponseFields& answer, const Card& card) {
    answer.StudentName = Utf8ToCp949(card.student);
    answer.SchoolName = Utf8ToCp949(card.school);
    answer.CardData = card.cardNo;
}

void FillMonth(ResponseFields& answer, const Budget& budget) {
    answer.MonthSupport = AmountText(budget.support);
    answer.MonthUsed = AmountText(budget.used);
    answer.MonthRemain = AmountText(budget.remaining);
}

Outcome Answered(AnswerShape shape, const ResponseFields& answer, std::string note) {
    return {FrameAnswer(shape, answer), answer.RespCode, std::move(note)};
}

} // namespace

std::int64_t Teller::SecondsOf(const LocalTime& t) {
    using namespace std::chrono;
    auto day = sys_days(year(t.year) / month(static_cast<unsigned>(t.month)) / static_cast<unsigned>(t.day));
    return day.time_since_epoch().count() * 86400LL + t.hour * 3600LL + t.minute * 60LL + t.second;
}

Teller::Moment Teller::Now() const {
    LocalTime t = clock_.Now();
    std::string date = FormatDate(t);
    return {date, FormatTime(t), date.substr(0, 6), SecondsOf(t)};
}

void Teller::ForgetOldAnswers() {
    std::int64_t now = Now().seconds;
    ledger_.PruneReplays(now - ReplayKeep);
    ledger_.PruneSessions(now - SessionLife);
    ledger_.PruneUnmatchedCancellations(now);
}

void Teller::Sweep() {
    std::int64_t now = Now().seconds;
    for (const std::string& key : wrongLogins_.Expire(now)) {
        Say("login lock ended: " + key);
    }
    for (const std::string& key : missedCancellations_.Expire(now)) {
        Say("cancellation lock ended: " + key);
    }
}

void Teller::Say(const std::string& line) const {
    if (log_) {
        log_(line);
    }
}

Outcome Teller::Handle(const Request& request) {
    Moment now = Now();
    const RequestFields& fields = request.fields;
    // A login's telegram holds the authentication number: it is answered afresh rather than kept under
    // a hash that a short number would make easy to reverse.
    if (fields.MsgType == MessageType::Login) {
        return Login(request, now);
    }
    if (!InSession(request, now)) {
        return Refuse(request, RespCode::UnregisteredMerchant,
                      "no session of this merchant from " + request.peer);
    }
    // Lookups and balance inquiries move no money: deciding them again is the right answer.
    bool movesMoney = fields.MsgType == MessageType::Approval || fields.MsgType == MessageType::Cancellation;
    if (!movesMoney) {
        return Decide(request, now);
    }
    // The program resends an automatic cancellation at its next start with the approval's own date,
    // however late; it can only reverse the approval it matches.
    if (fields.CancelType != CancelType::Automatic || fields.MsgType != MessageType::Cancellation) {
        std::optional<std::int64_t> sent = ClientMoment(fields);
        std::int64_t days = sent ? *sent / 86400 - now.seconds / 86400 : FreshDays + 1;
        if (days > FreshDays || days < -FreshDays) {
            return Refuse(request, RespCode::DateNotAllowed,
                          "dated " + fields.TransDate + " " + fields.TransTime + ", not within a day");
        }
    }
    std::string key = RequestHash(request.body);
    Outcome outcome;
    if (std::optional<std::string> first = ledger_.Replay(key)) {
        outcome = {*first, RespCodeOf(*first), "replayed", true};
    } else {
        outcome = Decide(request, now);
        // Only what changed the ledger is kept. A refusal is decided afresh when repeated: an automatic
        // cancellation that found nothing may find the approval that was delayed in the network, and a
        // repeat of any other refusal cannot charge twice.
        if (outcome.respCode == RespCode::Success) {
            ledger_.StoreReplay(key, outcome.answer, now.seconds);
        }
    }
    // Even a replayed answer may come from this very batch, and stands only if the batch commits.
    outcome.needsCommit = true;
    return outcome;
}

bool Teller::InSession(const Request& request, const Moment& now) {
    return KeepSession(request.peer, Trim(request.fields.MerchantNo), now).has_value();
}

std::optional<Session> Teller::KeepSession(const std::string& peer, const std::string& merchantNo,
                                           const Moment& now) {
    std::optional<Session> session = ledger_.SessionOf(peer, merchantNo);
    if (!session || now.seconds - session->lastSeconds > SessionLife) {
        return std::nullopt;
    }
    // A minute's precision on a thirty-day life spares a write for nearly every request. Nothing waits
    // for it: were it lost, the session would still hold, only from its previous request.
    if (now.seconds - session->lastSeconds >= 60) {
        ledger_.TouchSession(peer, merchantNo, now.seconds);
    }
    return session;
}

bool Teller::MayStillBeApproved(const std::string& cardNo, const std::string& careCode) {
    std::optional<Card> card = ledger_.CardByNumber(cardNo);
    if (!card || card->state != CardState::Active) {
        return false;
    }
    std::vector<CareItemRecord> items = ledger_.CareItems(cardNo);
    return std::any_of(items.begin(), items.end(), [&](const auto& i) { return i.code == careCode; });
}

Outcome Teller::Decide(const Request& request, const Moment& now) {
    const std::string& type = request.fields.MsgType;
    if (type == MessageType::CardLookup) {
        return Lookup(request, now);
    }
    if (type == MessageType::Approval) {
        return Approve(request, now);
    }
    if (type == MessageType::Cancellation) {
        return Cancel(request, now);
    }
    if (type == MessageType::BalanceInquiry) {
        return Balance(request, now);
    }
    return Refuse(request, RespCode::FormatError, "unknown MsgType");
}

Outcome Teller::Refuse(const Request& request, std::string_view code, std::string note) const {
    ResponseFields answer = EchoAnswer(request.fields, code);
    Moment now = Now();
    answer.TransDate = now.date;
    answer.TransTime = now.time;
    if (request.fields.MsgType == MessageType::Login) {
        answer.LoginMark = "0";
    }
    return Answered(ShapeOf(request.fields.MsgType), answer, std::move(note));
}

std::string_view Teller::CheckMerchantAndCard(const RequestFields& fields, Card& card) {
    if (!ledger_.MerchantByNumber(Trim(fields.MerchantNo))) {
        return RespCode::UnknownMerchant;
    }
    std::optional<Card> found = ledger_.CardByNumber(Trim(fields.CardData));
    if (!found) {
        return RespCode::UnknownCard;
    }
    if (found->state == CardState::Stolen) {
        return RespCode::StolenCard;
    }
    if (found->state == CardState::Expired) {
        return RespCode::ValidityExpired;
    }
    card = *found;
    return {};
}

Outcome Teller::Login(const Request& request, const Moment& now) {
    const RequestFields& fields = request.fields;
    std::string business = Trim(fields.MerchantNo);
    std::string note = "business=" + business;
    // Keyed by address too, so that a guesser elsewhere cannot lock the merchant's own counter out.
    std::string guesser = request.peer + " business=" + business;
    if (wrongLogins_.Locked(guesser, now.seconds)) {
        return Refuse(request, RespCode::WrongPassword, note + " locked, not compared");
    }
    std::optional<Merchant> merchant = ledger_.MerchantByBusinessNumber(business);
    if (!merchant) {
        return Refuse(request, RespCode::UnknownMerchant, note);
    }
    // The number is compared as typed; only the fill the telegram added on the right is dropped.
    std::string typed = fields.AuthNo.substr(0, fields.AuthNo.find_last_not_of(' ') + 1);
    if (!AuthNumberMatches(merchant->authSalt, merchant->authHash, typed)) {
        if (wrongLogins_.Fail(guesser, now.seconds)) {
            note += " locked for 15 minutes after 5 wrong authentication numbers";
        }
        return Refuse(request, RespCode::WrongPassword, note);
    }
    wrongLogins_.Clear(guesser);
    // A counter logs in at every start, so a login usually finds its session on disk already, and is
    // answered without writing, even when the disk is full. A session written only by this uncommitted
    // batch is not on disk yet.
    std::optional<Session> session = KeepSession(request.peer, merchant->merchantNo, now);
    bool recorded = session && session->settled;
    if (!recorded) {
        ledger_.OpenSession(request.peer, merchant->merchantNo, now.seconds);
    }
    ResponseFields answer = EchoAnswer(fields, RespCode::Success);
    answer.LoginMark = "1";
    answer.MerchantName = Utf8ToCp949(merchant->name);
    answer.MerchantNumber = merchant->merchantNo;
    answer.MerchantPhone = Utf8ToCp949(merchant->phone);
    answer.MerchantAddress = Utf8ToCp949(merchant->address);
    Outcome outcome =
        Answered(AnswerShape::Login, answer, note + (recorded ? " session held" : " session opened"));
    // A new session is the login's whole effect: the terminal is told only once it is on disk.
    outcome.needsCommit = !recorded;
    return outcome;
}

std::optional<Teller::CardMonth> Teller::AnswerForCard(const Request& request, const Moment& now,
                                                       std::string_view& refusal) {
    Card card;
    refusal = CheckMerchantAndCard(request.fields, card);
    if (!refusal.empty()) {
        return std::nullopt;
    }
    CardMonth month{EchoAnswer(request.fields, RespCode::Success),
                    ledger_.BudgetOf(card.cardNo, 'S', now.month),
                    ledger_.BudgetOf(card.cardNo, 'A', now.month), card};
    month.answer.TransDate = now.date;
    month.answer.TransTime = now.time;
    FillHolder(month.answer, card);
    FillMonth(month.answer, month.support);
    return month;
}

Outcome Teller::Lookup(const Request& request, const Moment& now) {
    std::string note = "card=" + Trim(request.fields.CardData);
    std::string_view refusal;
    std::optional<CardMonth> month = AnswerForCard(request, now, refusal);
    if (!month) {
        return Refuse(request, refusal, note);
    }
    auto& [answer, support, afterSchool, card] = *month;
    std::vector<CareItemRecord> items = ledger_.CareItems(card.cardNo);
    for (size_t i = 0; i < items.size() && i < answer.CareItems.size(); ++i) {
        const CareItemRecord& item = items[i];
        CareItem& block = answer.CareItems[i];
        block.ItemCode = item.code;
        block.ItemRemain = AmountText(item.programme == 'A' ? afterSchool.remaining : support.remaining);
        block.ItemAmount = AmountText(item.amount, FieldWidth(CareItemLayout, &CareItem::ItemAmount));
        block.ItemName = Utf8ToCp949(item.name);
        block.ItemTeacherCode = item.teacherCode;
        block.ItemTeacherName = Utf8ToCp949(item.teacherName);
    }
    return Answered(AnswerShape::Card, answer, note);
}

Outcome Teller::Approve(const Request& request, const Moment& now) {
    const RequestFields& fields = request.fields;
    Card card;
    std::string careCode = Trim(fields.CareCode);
    std::string note =
        "card=" + Trim(fields.CardData) + " care=" + careCode + " amount=" + Trim(fields.Amount);
    if (std::string_view code = CheckMerchantAndCard(fields, card); !code.empty()) {
        return Refuse(request, code, note);
    }
    std::vector<CareItemRecord> items = ledger_.CareItems(card.cardNo);
    auto item = std::find_if(items.begin(), items.end(), [&](const auto& i) { return i.code == careCode; });
    if (item == items.end()) {
        return Refuse(request, RespCode::UnknownCareItem, note);
    }
    std::optional<std::int64_t> amount = PositiveAmount(fields.Amount);
    if (!amount) {
        return Refuse(request, RespCode::AmountNotAllowed, note);
    }
    if (*amount > ledger_.BudgetOf(card.cardNo, item->programme, now.month).remaining) {
        return Refuse(request, RespCode::MonthlyLimitExceeded, note);
    }
    Budget budget = ledger_.Charge(card.cardNo, item->programme, now.month, *amount);
    LedgerEntry entry;
    entry.kind = EntryKind::Approval;
    entry.merchantNo = Trim(fields.MerchantNo);
    entry.cardNo = card.cardNo;
    entry.careCode = careCode;
    entry.programme = item->programme;
    entry.amount = *amount;
    entry.budgetMonth = now.month;
    entry.transDate = now.date;
    entry.transTime = now.time;
    entry.atSeconds = now.seconds;
    entry.clientSeconds = ClientMoment(fields);
    entry = ledger_.Append(entry);

    ResponseFields answer = EchoAnswer(fields, RespCode::Success);
    answer.TransDate = now.date;
    answer.TransTime = now.time;
    FillHolder(answer, card);
    FillMonth(answer, budget);
    answer.Amount = AmountText(*amount, AmountWidth);
    answer.ApprovalNo = entry.approvalNo;
    return Answered(AnswerShape::Standard, answer, note + " approval=" + entry.approvalNo);
}

Outcome Teller::Cancel(const Request& request, const Moment& now) {
    const RequestFields& fields = request.fields;
    std::string merchantNo = Trim(fields.MerchantNo);
    if (!ledger_.MerchantByNumber(merchantNo)) {
        return Refuse(request, RespCode::UnknownMerchant);
    }
    if (fields.CancelType == CancelType::ByMerchant) {
        std::string number = Trim(fields.OrgApprovalNo);
        std::string note = "original=" + number;
        std::string guesser = request.peer + " merchant=" + merchantNo;
        if (missedCancellations_.Locked(guesser, now.seconds)) {
            return Refuse(request, RespCode::NoOriginal, note + " locked, not looked up");
        }
        auto missed = [&] {
            if (missedCancellations_.Fail(guesser, now.seconds)) {
                note += " cancellations by number locked for 15 minutes after 10 misses";
            }
            return Refuse(request, RespCode::NoOriginal, note);
        };
        // Leading zeros may be left off when the number is typed from the receipt.
        if (!AllDigits(number) || number.size() > ApprovalNoWidth) {
            return missed();
        }
        std::optional<LedgerEntry> approval = ledger_.ApprovalByNumber(
            merchantNo, AmountText(std::stoll(number), ApprovalNoWidth), Trim(fields.OrgAuthDate));
        if (!approval) {
            return missed();
        }
        if (ledger_.IsCancelled(approval->id)) {
            return Refuse(request, RespCode::AlreadyCancelled, note);
        }
        return Reverse(request, *approval, now);
    }
    if (fields.CancelType == CancelType::Automatic) {
        std::string cardNo = Trim(fields.CardData);
        std::string careCode = Trim(fields.CareCode);
        std::optional<std::int64_t> amount = PositiveAmount(fields.Amount);
        // The telegram's own moment, not its arrival, bounds the search: it may get through much later.
        // Entries without a moment keep the arrival-based reach.
        std::optional<std::int64_t> timedOutAt = ClientMoment(fields);
        std::optional<MomentRange> client;
        if (timedOutAt) {
            client = MomentRange{*timedOutAt - AutoCancelReach, *timedOutAt};
        }
        std::optional<LedgerEntry> approval;
        if (amount) {
            approval = ledger_.LatestUncancelledApproval(merchantNo, cardNo, careCode, *amount, client,
                                                         now.seconds - AutoCancelReach);
        }
        if (approval) {
            return Reverse(request, *approval, now);
        }
        // Nothing to reverse: the approval never reached the ledger, or is still on its way. The attempt
        // is kept while that approval could still be taken, so that it can be set against it. An approval
        // no older than the cancellation's moment is taken until the end of the day after its date; one
        // that could never be taken leaves nothing, or requests that change nothing would fill the disk.
        std::int64_t keepUntil =
            timedOutAt ? (*timedOutAt / 86400 + FreshDays + 1) * 86400 : now.seconds + ReplayKeep;
        std::string note = "card=" + cardNo + " automatic, nothing to reverse";
        if (!amount || keepUntil <= now.seconds || !MayStillBeApproved(cardNo, careCode)) {
            return Refuse(request, RespCode::NoOriginal, note + ", nothing kept");
        }
        ledger_.RecordUnmatchedCancellation(
            {merchantNo, cardNo, careCode, *amount, now.date, now.time, now.seconds, timedOutAt, keepUntil});
        return Refuse(request, RespCode::NoOriginal, note);
    }
    return Refuse(request, RespCode::FormatError, "unknown CancelType");
}

Outcome Teller::Reverse(const Request& request, const LedgerEntry& approval, const Moment& now) {
    // The approval's own month gets the amount back, whichever month the cancellation comes in.
    Budget budget =
        ledger_.Restore(approval.cardNo, approval.programme, approval.budgetMonth, approval.amount);
    LedgerEntry cancellation = approval;
    cancellation.kind = EntryKind::Cancellation;
    cancellation.cancels = approval.id;
    cancellation.transDate = now.date;
    cancellation.transTime = now.time;
    cancellation.atSeconds = now.seconds;
    cancellation.clientSeconds = ClientMoment(request.fields);
    cancellation = ledger_.Append(cancellation);

    ResponseFields answer = EchoAnswer(request.fields, RespCode::Success);
    answer.TransDate = now.date;
    answer.TransTime = now.time;
    if (std::optional<Card> card = ledger_.CardByNumber(approval.cardNo)) {
        FillHolder(answer, *card);
    }
    FillMonth(answer, budget);
    answer.CardData = approval.cardNo;
    answer.CareCode = approval.careCode;
    answer.Amount = AmountText(approval.amount, AmountWidth);
    answer.ApprovalNo = cancellation.approvalNo;
    return Answered(AnswerShape::Standard, answer,
                    "card=" + approval.cardNo + " reverses=" + approval.approvalNo +
                        " cancellation=" + cancellation.approvalNo);
}

Outcome Teller::Balance(const Request& request, const Moment& now) {
    std::string note = "card=" + Trim(request.fields.CardData);
    std::string_view refusal;
    std::optional<CardMonth> month = AnswerForCard(request, now, refusal);
    if (!month) {
        return Refuse(request, refusal, note);
    }
    auto& [answer, support, afterSchool, card] = *month;
    BalanceSplit split{"S", AmountText(support.used),     AmountText(support.remaining),
                       "A", AmountText(afterSchool.used), AmountText(afterSchool.remaining),
                       ""};
    answer.Reserved145.clear();
    AppendFields<BalanceSplit>(answer.Reserved145, split, BalanceSplitLayout);
    return Answered(AnswerShape::Standard, answer, note);
}

} // namespace dovra
