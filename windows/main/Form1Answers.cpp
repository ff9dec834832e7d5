// The answer on sckMain: result lines, the receipt for an approval or cancellation that went through,
// and the entry back to idle.
#include "foundations/AnsiText.h"
#include "foundations/NumberFormat.h"
#include "transport/ResponseCodes.h"
#include "windows/common/Text.h"
#include "windows/main/Form1.h"
#include "windows/main/Form1Texts.h"
#include "windows/receipt/Form5.h"

#include <utility>

namespace dovra {

namespace Texts = Form1Texts;

namespace {

QString Amount(const std::string& field) {
    return ToQt(FormatThousands(field));
}

AnswerKind AnswerKindOf(bool approval, bool cancellation) {
    return approval       ? AnswerKind::Approval
           : cancellation ? AnswerKind::Cancellation
                          : AnswerKind::BalanceInquiry;
}

} // namespace

void Form1::sckMain_DataArrival(const std::string& decrypted) {
    timeMain->stop();
    if (!inFlight_) {
        return;
    }
    RequestKind kind = *inFlight_;
    inFlight_.reset();
    if (kind == RequestKind::Approval) {
        // Answered either way: no automatic cancellation is owed, whatever happens from here on.
        openApproval_.clear();
        cancellations_->SettleApproval(std::exchange(openApprovalId_, {}));
    }

    ResponseFields& r = services_.telegrams.responseFields;
    CutStandardAnswer(decrypted, r);
    if (kind == RequestKind::BalanceInquiry) {
        CutBalanceSplit(decrypted, r);
    }
    lstResult->clear();

    if (!IsSuccess(r.RespCode)) {
        for (const std::string& line :
             RefusalLines(AnswerKindOf(kind == RequestKind::Approval, kind == RequestKind::Cancellation),
                          r.RespCode, r.MessageText)) {
            AddResultLine(line);
        }
        ReturnToIdle();
        return;
    }
    if (kind == RequestKind::BalanceInquiry) {
        lstResult->addItems({Texts::BalanceDone, Texts::StudentName + ToQt(r.StudentName),
                             Texts::SchoolName + ToQt(r.SchoolName),
                             Texts::SupportUsed + Amount(r.SupportUsed),
                             Texts::SupportRemain + Amount(r.SupportRemain),
                             Texts::AfterSchoolUsed + Amount(r.AfterSchoolUsed),
                             Texts::AfterSchoolRemain + Amount(r.AfterSchoolRemain)});
        ReturnToIdle();
        return;
    }
    lstResult->addItems({kind == RequestKind::Approval ? Texts::ApprovalDone : Texts::CancellationDone,
                         Texts::ApprovalNo + ToQt(r.ApprovalNo), Texts::StudentName + ToQt(r.StudentName),
                         Texts::SchoolName + ToQt(r.SchoolName), Texts::MonthSupport + Amount(r.MonthSupport),
                         Texts::MonthUsed + Amount(r.MonthUsed), Texts::MonthRemain + Amount(r.MonthRemain)});
    ShowReceipt(kind);
}

// The entry keeps showing the transaction while the receipt question is open; idle follows its close.
void Form1::ShowReceipt(RequestKind kind) {
    const ResponseFields& r = services_.telegrams.responseFields;
    auto* receipt = new Form5(services_);
    receipt->Text1->setText(kind == RequestKind::Approval ? Texts::ReceiptApproval
                                                          : Texts::ReceiptCancellation);
    receipt->Text2->setText(ToQt(AnsiLeft(r.CardData, 16)));
    receipt->Text3->setText(ToQt(r.TransDate + "  " + FormatClockTime(r.TransTime)));
    receipt->Text4->setText(ToQt(std::string(TrimSpaces(r.ApprovalNo))));
    receipt->Text5->setText(Amount(std::string(TrimSpaces(r.Amount))));
    receipt->Text6->setText(Amount(std::string(TrimSpaces(r.MonthRemain))));
    receipt->Text7->setText(TrimSpaces(cmbCare1->currentText()));
    receipt->Text8->setText(TrimSpaces(txtTeacher1->text()));
    connect(receipt, &Form5::Closed, this, &Form1::ReturnToIdle);
    receipt->show();
}

} // namespace dovra
