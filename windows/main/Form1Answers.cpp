// What comes back: the answer on sckMain with its result lines and receipt, and the card lookup windows'
// outcome, each shown as the counter reads it.
#include "windows/common/Looks.h"
#include "windows/common/Text.h"
#include "windows/main/Form1.h"
#include "windows/receipt/Form5.h"

#include <utility>

namespace dovra {

void Form1::sckMain_DataArrival(const std::string& decrypted) {
    timeMain->stop();
    if (!inFlight_) {
        return;
    }
    Entry entry = std::move(*inFlight_);
    inFlight_.reset();
    if (entry.kind == Entry::Kind::Approval) {
        // Answered either way: no automatic cancellation is owed, whatever happens from here on.
        openApproval_.clear();
        cancellations_->SettleApproval(std::exchange(openApprovalId_, {}));
    }
    TransactionOutcome outcome = counter_.ReadTransactionAnswer(entry, decrypted);
    lstResult->clear();
    for (const std::string& line : outcome.lines) {
        AddResultLine(ToQt(line));
    }
    if (outcome.receipt) {
        ShowReceipt(*outcome.receipt);
    } else {
        ReturnToIdle();
    }
}

// The entry keeps showing the transaction while the receipt question is open; idle follows its close.
void Form1::ShowReceipt(const Receipt& receipt) {
    auto* question = new Form5(services_, receipt);
    connect(question, &Form5::Closed, this, &Form1::ReturnToIdle);
    question->show();
}

void Form1::TakeLookup(const LookupStep& step) {
    switch (step.kind) {
    case LookupStep::Kind::CardSent:
        Card1->setText(step.cardGroups[0]);
        Card2->setText(step.cardGroups[1]);
        Card3->setText(step.cardGroups[2]);
        Card4->setText(step.cardGroups[3]);
        return;
    case LookupStep::Kind::Answered:
        ShowCardAnswer(step.answer);
        return;
    case LookupStep::Kind::Abandoned:
        // It may have filled part of the entry: emptied for a fresh start.
        ClearEntry();
        return;
    }
}

void Form1::ShowCardAnswer(const CardOutcome& outcome) {
    for (const std::string& line : outcome.lines) {
        AddResultLine(ToQt(line));
    }
    for (const CareChoice& choice : outcome.choices) {
        cmbCare1->addItem(ToQt(choice.name), choice.item);
    }
    txtTeacher1->setText(ToQt(outcome.shown.teacher));
    txtCare_Amount1->setText(ToQt(outcome.shown.amount));
    bool open = outcome.careList == CardOutcome::CareList::Open;
    cmbCare1->setEnabled(open);
    SetBackColour(cmbCare1, open ? OpenColour() : LightGreyColour());
    if (outcome.careList == CardOutcome::CareList::Withdrawn) {
        cmbCare1->clear();
    }
    Command3->setEnabled(outcome.amountChange);
    if (outcome.amountChange) {
        SetBackColour(Command3, OpenColour());
    }
}

} // namespace dovra
