// The pay button and what it sends: approval, cancellation or balance inquiry on sckMain, and the answer
// time-out that hands an unanswered approval to its automatic cancellation.
#include "windows/common/CommonTexts.h"
#include "windows/common/Text.h"
#include "windows/main/Form1.h"
#include "windows/main/Form1Texts.h"

#include <utility>

namespace dovra {

namespace Texts = Form1Texts;

// While a request is out, nothing on the window may change what it is about: the buttons that would
// clear the entry or leave the window wait with the pay button.
void Form1::SetBusy(bool busy) {
    for (QWidget* control : std::initializer_list<QWidget*>{Command4, Command1, Command2, Option1, Option2,
                                                            Option3, btnLogout}) {
        control->setEnabled(!busy);
    }
}

void Form1::RefuseToSend(const QString& text) {
    services_.messages.Show(this, text, CommonTexts::Title, MessageIcon::None);
    SetBusy(false);
}

void Form1::Command4_Click() {
    SetBusy(true);
    switch (counter_.CheckPay(CurrentEntry())) {
    case PayRefusal::None:
        break;
    case PayRefusal::SameSecond:
        // The second click is dropped, but the button is not left locked for good.
        SetBusy(false);
        return;
    case PayRefusal::EnterCardNumber:
        RefuseToSend(CommonTexts::EnterCardNumber);
        return;
    case PayRefusal::EnterReason:
        RefuseToSend(Texts::EnterReason);
        return;
    case PayRefusal::CheckServerSettings:
        RefuseToSend(CommonTexts::CheckServerSettings);
        return;
    }
    sckMain->Open(*counter_.settings().ApprovalServer());
}

void Form1::sckMain_Connect() {
    Entry entry = CurrentEntry();
    std::string telegram = counter_.TransactionRequest(entry);
    bool approval = entry.kind == Entry::Kind::Approval;
    // An approval is on disk before it leaves, so its automatic cancellation survives the program.
    if (approval) {
        auto id = cancellations_->queue().journal().RecordApproval(telegram);
        if (!id) {
            sckMain->Close();
            RefuseToSend(Texts::CannotJournal);
            return;
        }
        openApprovalId_ = *id;
        openApproval_ = telegram;
    }
    if (sckMain->Send(telegram) != EnvelopeError::None) {
        sckMain->Close();
        if (approval) {
            cancellations_->queue().journal().ClearApproval(std::exchange(openApprovalId_, {}));
            openApproval_.clear();
        }
        RefuseToSend(CommonTexts::CannotEncrypt);
        return;
    }
    inFlight_ = std::move(entry);
    timeMain->start();
}

void Form1::sckMain_Failed(TelegramSocket::Failure failure) {
    if (!inFlight_) {
        // Nothing was sent: the merchant may simply try again.
        sckMain->Close();
        RefuseToSend(CommonTexts::CannotConnect);
        return;
    }
    // Sent, but no answer that can be read: as good as none.
    EndUnanswered(FailureText(failure));
}

void Form1::timeMain_Timer() {
    EndUnanswered(CommonTexts::CannotConnect);
}

// A request that is out keeps its time-out or answer. Otherwise the window starts over; an approval
// that was journalled here has an outcome nobody can vouch for, so it is cancelled as an unanswered one
// is (the server refuses the cancellation of one it never saw).
void Form1::RecoverFromFault() {
    if (inFlight_) {
        return;
    }
    sckMain->Close();
    timeMain->stop();
    if (!openApprovalId_.empty()) {
        std::string id = std::exchange(openApprovalId_, {});
        cancellations_->CancelApproval(id, std::exchange(openApproval_, {}));
    }
    ReturnToIdle();
}

void Form1::EndUnanswered(const QString& message) {
    sckMain->Close();
    timeMain->stop();
    bool approval = inFlight_ && inFlight_->kind == Entry::Kind::Approval;
    inFlight_.reset();
    // Journalled and on its way before the message waits for the merchant.
    bool cancellationKept = !approval || cancellations_->CancelApproval(openApprovalId_, openApproval_);
    openApprovalId_.clear();
    openApproval_.clear();
    if (!message.isEmpty()) {
        services_.messages.Show(this, message, CommonTexts::AppTitle, MessageIcon::None);
    }
    if (!cancellationKept) {
        services_.messages.Show(this, Texts::CancellationNotKept, CommonTexts::Title, MessageIcon::Warning);
    }
    SetBusy(false);
}

} // namespace dovra
