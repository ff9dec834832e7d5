#include "exchanges/Payment.h"

#include "exchanges/AutomaticCancellation.h"
#include "exchanges/Guard.h"
#include "exchanges/Texts.h"

#include <utility>

namespace dovra {

namespace {
constexpr int AnswerTimeoutMs = 10000;
}

Payment::Payment(Exchanges& desk, QObject* parent) : Lifecycle(desk, "sckMain", TransactionExchange, parent) {
    TimeOutAfter("timeMain", AnswerTimeoutMs);
}

void Payment::Start(Entry entry) {
    switch (counter().CheckPay(entry)) {
    case PayRefusal::None:
        break;
    case PayRefusal::SameSecond:
        Refuse(Refusal::SameSecond, {});
        return;
    case PayRefusal::EnterCardNumber:
        Refuse(Refusal::CardNumber, ExchangeTexts::EnterCardNumber);
        return;
    case PayRefusal::EnterReason:
        Refuse(Refusal::Reason, ExchangeTexts::EnterReason);
        return;
    case PayRefusal::CheckServerSettings:
        Refuse(Refusal::ServerSettings, ExchangeTexts::CheckServerSettings);
        return;
    }
    entry_ = std::move(entry);
    answered_ = false;
    Connect(*desk_.settings().ApprovalServer());
}

std::string Payment::Build() {
    return counter().TransactionRequest(entry_);
}

// An approval is on disk before it leaves, so its automatic cancellation survives the program.
bool Payment::Record(const std::string& telegram) {
    if (entry_.kind != Entry::Kind::Approval) {
        return true;
    }
    auto id = desk_.cancellations().RecordApproval(telegram);
    if (!id) {
        return false;
    }
    approvalId_ = *id;
    approval_ = telegram;
    return true;
}

void Payment::Withdraw() {
    if (!approvalId_.empty()) {
        approval_.clear();
        desk_.cancellations().WithdrawApproval(std::exchange(approvalId_, {}));
    }
}

// Read before the journal is settled, so that what the merchant is told of a disk that refuses fits
// the answer: a refusal moved no money and is never told as an approval.
void Payment::Read(const std::string& decrypted) {
    answered_ = true;
    TransactionOutcome read = counter().ReadTransactionAnswer(entry_, decrypted);
    PaymentResult result{{}, std::move(read.lines), std::move(read.receipt)};
    if (!approvalId_.empty()) {
        approval_.clear();
        if (desk_.cancellations().SettleApproval(std::exchange(approvalId_, {}),
                                                 result.receipt.has_value())) {
            result.outcome.warning = ExchangeTexts::OutcomeNotRecorded;
        }
    }
    emit Finished(result);
}

// An approval that was journalled has an outcome nobody can vouch for unless its answer came, so it is
// cancelled as an unanswered one is (the server refuses the cancellation of one it never saw).
void Payment::Conclude(ExchangeOutcome outcome) {
    PaymentResult result{std::move(outcome), {}, {}};
    if (!approvalId_.empty()) {
        std::string id = std::exchange(approvalId_, {});
        std::string telegram = std::exchange(approval_, {});
        if (answered_) {
            desk_.cancellations().SettleApproval(id, false);
        } else {
            bool recorded = false;
            try {
                recorded = desk_.cancellations().CancelApproval(id, telegram);
            } catch (const std::exception& fault) {
                // Still open in the journal: the next start cancels it.
                LogFault(desk_.programLog(), where(), std::string("cancelling: ") + fault.what());
            } catch (...) {
                LogFault(desk_.programLog(), where(), "cancelling");
            }
            if (!recorded) {
                result.outcome.warning = ExchangeTexts::CancellationNotKept;
            }
        }
    }
    emit Finished(result);
}

} // namespace dovra
