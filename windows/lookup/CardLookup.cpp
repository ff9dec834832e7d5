#include "windows/lookup/CardLookup.h"

#include "foundations/AnsiText.h"
#include "foundations/Ini.h"
#include "foundations/NumberFormat.h"
#include "transport/RequestHeader.h"
#include "transport/ResponseCodes.h"
#include "windows/common/CommonTexts.h"
#include "windows/common/Looks.h"
#include "windows/common/Text.h"
#include "windows/main/Form1.h"

namespace dovra {

const std::string& AssembleCardLookup(const Services& services, const LookupRequest& request) {
    // Each date and time field reads the clock anew, and the settings are read at each use: a lookup
    // across a second boundary carries both seconds, and a login just made is seen at once.
    const Clock& clock = services.clock;
    RequestFields& f = services.telegrams.requestFields;
    f.MsgType = "0200";
    f.IssueCode = request.issueCode;
    StampRequestHeader(f, clock, ReadIni("ComInfo", "Number", request.numberFile));
    f.RespCode = "00";
    f.MerchantNo = ReadIni("ComInfo", "Number", request.numberFile);
    f.TransDate = FormatDate(clock.Now());
    f.TransTime = FormatTime(clock.Now());
    f.TransKind = "21";
    f.EntryMode = request.entryMode;
    f.CardData = request.card + std::string(21, ' ');
    f.CardExtra = std::string(16, ' ');
    f.Amount = "0000000000";
    // The shared fields still hold whatever the last transaction put there.
    for (std::string* field :
         {&f.ApprovalNo, &f.OrgAuthDate, &f.OrgApprovalNo, &f.MonthSupport, &f.MonthUsed, &f.MonthRemain,
          &f.CancelType, &f.Reserved9, &f.CareCode, &f.TeacherCode, &f.TeacherName, &f.StudentName,
          &f.SchoolName, &f.MessageText, &f.Reserved145}) {
        field->clear();
    }
    services.telegrams.TelegramBuffer = AssembleStandardRequest(f);
    return services.telegrams.TelegramBuffer;
}

void ShowAcceptedLines(Form1& main, const ResponseFields& answer) {
    main.lstResult->addItem(LookupTexts::Accepted);
    main.lstResult->addItem(LookupTexts::StudentLabel + ToQt(answer.StudentName));
    main.lstResult->addItem(LookupTexts::SchoolLabel + ToQt(answer.SchoolName));
}

void ShowRefusal(Form1& main, const ResponseFields& answer) {
    for (const std::string& line :
         RefusalLines(AnswerKind::CardLookup, answer.RespCode, answer.MessageText)) {
        main.AddResultLine(line);
    }
    main.cmbCare1->setEnabled(false);
    SetBackColour(main.cmbCare1, LightGreyColour());
    main.Command3->setEnabled(false);
}

void ShowFirstItem(Form1& main, const ResponseFields& answer) {
    main.txtTeacher1->setText(ToQt(answer.CareItems[0].ItemTeacherName));
    main.txtCare_Amount1->setText(ToQt(FormatThousands(answer.CareItems[0].ItemAmount)));
}

void OpenCareItems(Form1& main) {
    main.cmbCare1->setEnabled(true);
    SetBackColour(main.cmbCare1, OpenColour());
    main.Command3->setEnabled(true);
    SetBackColour(main.Command3, OpenColour());
}

void StoreCareItems(Form1& main, const ResponseFields& answer) {
    for (size_t i = 0; i < answer.CareItems.size(); ++i) {
        main.Teacher[i] = answer.CareItems[i].ItemTeacherName;
        main.Teacher_code[i] = answer.CareItems[i].ItemTeacherCode;
        main.Care_Amount[i] = answer.CareItems[i].ItemAmount;
        main.Care_code[i] = answer.CareItems[i].ItemCode;
    }
}

void AbandonLookup(QWidget& window, TelegramSocket& socket, Form1& main) {
    socket.Close();
    main.ClearEntry();
    window.close();
}

void WithdrawCareItems(Form1& main) {
    main.cmbCare1->setEnabled(false);
    SetBackColour(main.cmbCare1, LightGreyColour());
    main.cmbCare1->clear();
    main.txtCare_Amount1->clear();
}

} // namespace dovra
