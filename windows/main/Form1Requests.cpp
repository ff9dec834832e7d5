// The pay button and what it sends: approval, cancellation or balance inquiry on sckMain, and the answer
// time-out that hands an unanswered approval to its automatic cancellation.
#include "foundations/AnsiText.h"
#include "foundations/Ini.h"
#include "transport/RequestHeader.h"
#include "windows/common/CommonTexts.h"
#include "windows/common/Text.h"
#include "windows/main/Form1.h"
#include "windows/main/Form1Texts.h"

#include <utility>

namespace dovra {

namespace Texts = Form1Texts;

Form1::RequestKind Form1::SelectedKind() const {
    if (Option1->isChecked()) {
        return RequestKind::Approval;
    }
    return Option2->isChecked() ? RequestKind::Cancellation : RequestKind::BalanceInquiry;
}

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
    QString cardNumber = Card1->text() + Card2->text() + Card3->text() + Card4->text();
    // Two requests in one second could share a TraceNo when the merchant number is unknown; the
    // second click is dropped, but the button is not left locked for good.
    if (FormatTime(services_.clock.Now()) == services_.telegrams.requestFields.TraceNo) {
        SetBusy(false);
        return;
    }
    if (cardNumber.size() < 16) {
        RefuseToSend(CommonTexts::EnterCardNumber);
        return;
    }
    if (Combo1->currentIndex() == Texts::OwnWordsReason && Option1->isChecked() &&
        (txtreson->text() == QStringLiteral(" ") || txtreson->text().isEmpty())) {
        RefuseToSend(Texts::EnterReason);
        return;
    }
    auto server = ReadApprovalServer(services_.paths);
    if (!server) {
        RefuseToSend(CommonTexts::CheckServerSettings);
        return;
    }
    sckMain->Open(*server);
}

void Form1::sckMain_Connect() {
    const auto settings = services_.paths.DovraSetting();
    RequestKind kind = SelectedKind();
    int item = SelectedCareItem();
    RequestFields& f = services_.telegrams.requestFields;
    f = RequestFields{};
    f.MsgType = kind == RequestKind::Approval ? "0500" : kind == RequestKind::Cancellation ? "0600" : "0700";
    f.IssueCode = ReadIni("PellumInfo", "dovra_Issue_code", settings);
    StampRequestHeader(f, services_.clock, ReadIni("ComInfo", "Number", settings));
    f.RespCode = "00";
    f.MerchantNo = ReadIni("ComInfo", "Number", settings);
    f.TransDate = FormatDate(services_.clock.Now());
    f.TransTime = FormatTime(services_.clock.Now());
    f.TransKind = "11";
    f.EntryMode = "0";
    f.CardData = ToCp949(Card1->text() + Card2->text() + Card3->text() + Card4->text());
    f.Amount = ToCp949(txtCare_Amount1->text().remove(QLatin1Char(',')));
    f.OrgAuthDate = ToCp949(TrimSpaces(txtOrg_auth_date->text()));
    f.OrgApprovalNo = ToCp949(TrimSpaces(txtOrg_approval_no->text()));
    f.CancelType = kind == RequestKind::Cancellation ? "7" : "0";
    if (item > 0) {
        f.CareCode = Care_code[static_cast<size_t>(item - 1)];
        f.TeacherCode = Teacher_code[static_cast<size_t>(item - 1)];
    }
    f.TeacherName = ToCp949(txtTeacher1->text());
    f.MessageText = ToCp949(Combo1->currentIndex() == Texts::OwnWordsReason ? TrimSpaces(txtreson->text())
                                                                            : Combo1->currentText());
    std::string& telegram = services_.telegrams.TelegramBuffer;
    telegram = AssembleStandardRequest(f);

    // An approval is on disk before it leaves, so its automatic cancellation survives the program.
    if (kind == RequestKind::Approval) {
        auto id = cancellations_->journal().RecordApproval(telegram);
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
        if (kind == RequestKind::Approval) {
            cancellations_->journal().ClearApproval(openApprovalId_);
            openApprovalId_.clear();
        }
        RefuseToSend(CommonTexts::CannotEncrypt);
        return;
    }
    inFlight_ = kind;
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
    bool approval = inFlight_ == RequestKind::Approval;
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
