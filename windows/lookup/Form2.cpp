#include "windows/lookup/Form2.h"

#include "foundations/NumberFormat.h"
#include "transport/ResponseCodes.h"
#include "windows/common/CommonTexts.h"
#include "windows/common/Face.h"
#include "windows/common/Text.h"
#include "windows/lookup/CardLookup.h"
#include "windows/main/Form1.h"

#include <QCloseEvent>

namespace dovra {

namespace {
namespace Texts {
const QString Ok = QStringLiteral("확인");
const QString Cancel = QStringLiteral("취소");
const QString MonthRemain = QStringLiteral("월잔여금액 : ");
} // namespace Texts

constexpr int CardLength = 16;
// The manual lookup server knows the merchant by this issue code, whatever the settings say.
const std::string ManualIssueCode = "KVRB";
} // namespace

Form2::Form2(const Services& services, Form1& main)
    : QWidget(&main, Qt::Dialog), services_(services), main_(main) {
    setObjectName("Form2");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(340, 140);
    new Face(QStringLiteral(":/faces/Form2.png"), this);

    // No digit filter and no jump to the next box: the merchant moves on with Tab or the mouse.
    auto box = [this](const char* name, int left, int height) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setMaxLength(4);
        edit->setFont(WindowFont());
        PlaceTwips(edit, left, 765, 900, height);
        return edit;
    };
    Card1 = box("Card1", 360, 405);
    Card2 = box("Card2", 1500, 390);
    Card3 = box("Card3", 2640, 390);
    Card4 = box("Card4", 3780, 390);

    btnOk = new QPushButton(Texts::Ok, this);
    btnOk->setObjectName("btnOk");
    PlaceTwips(btnOk, 1200, 1380, 1100, 465);
    btnClose = new QPushButton(Texts::Cancel, this);
    btnClose->setObjectName("btnClose");
    PlaceTwips(btnClose, 2760, 1380, 1100, 465);
    for (QPushButton* button : {btnOk, btnClose}) {
        button->setFont(WindowFont());
    }
    connect(btnOk, &QPushButton::clicked, this, Guarded(&Form2::btnOk_Click));
    connect(btnClose, &QPushButton::clicked, this, Guarded(&Form2::btnClose_Click));

    setTabOrder(Card1, Card2);
    setTabOrder(Card2, Card3);
    setTabOrder(Card3, Card4);
    setTabOrder(Card4, btnOk);
    setTabOrder(btnOk, btnClose);
    Card1->setFocus();

    Winsock1 = new TelegramSocket("Winsock1", ManualLookupExchange, services_, this);
    connect(Winsock1, &TelegramSocket::Connected, this, Guarded(&Form2::Winsock1_Connect));
    connect(Winsock1, &TelegramSocket::Answered, this, Guarded(&Form2::Winsock1_DataArrival));
    connect(Winsock1, &TelegramSocket::Failed, this, Guarded(&Form2::Winsock1_Failed));
}

void Form2::RecoverFromFault() {
    AbandonLookup(*this, *Winsock1, main_);
}

void Form2::closeEvent(QCloseEvent* event) {
    Winsock1->Close();
    event->accept();
}

// As typed, untrimmed: blanks count towards the sixteen.
QString Form2::TypedCard() const {
    return Card1->text() + Card2->text() + Card3->text() + Card4->text();
}

void Form2::btnOk_Click() {
    if (TypedCard().size() < CardLength) {
        // Checked before connecting; the merchant starts over from the main window.
        Tell(CommonTexts::EnterCardNumber);
        close();
        return;
    }
    Winsock1->Open(services_.lookupServer);
}

void Form2::btnClose_Click() {
    close();
}

void Form2::Winsock1_Connect() {
    LookupRequest request{ManualIssueCode, services_.paths.Pellum7(), "2", ToCp949(TypedCard())};
    if (Winsock1->Send(AssembleCardLookup(services_, request)) != EnvelopeError::None) {
        Winsock1->Close();
        Tell(CommonTexts::CannotEncrypt);
        return;
    }
    main_.Card1->setText(Card1->text());
    main_.Card2->setText(Card2->text());
    main_.Card3->setText(Card3->text());
    main_.Card4->setText(Card4->text());
}

// Unlike the card-reader window, every one of the nine items is offered as received, and the card's
// remaining budget is one line for the whole month.
void Form2::Winsock1_DataArrival(const std::string& decrypted) {
    ResponseFields& answer = services_.telegrams.responseFields;
    CutCardAnswer(decrypted, answer);
    if (IsSuccess(answer.RespCode)) {
        ShowAcceptedLines(main_, answer);
        main_.lstResult->addItem(Texts::MonthRemain + ToQt(FormatThousands(answer.MonthRemain)));
        for (int k = 1; k <= CareItemCount; ++k) {
            main_.AddCareEntry(ToQt(answer.CareItems[static_cast<size_t>(k - 1)].ItemName), k);
        }
        main_.SelectCareEntry(0);
        ShowFirstItem(main_, answer);
        OpenCareItems(main_);
        StoreCareItems(main_, answer);
    } else {
        ShowRefusal(main_, answer);
    }
    if (main_.Option3->isChecked()) {
        WithdrawCareItems(main_);
    }
    close();
}

void Form2::Winsock1_Failed(TelegramSocket::Failure failure) {
    Winsock1->Close();
    Tell(FailureText(failure));
}

void Form2::Tell(const QString& text) {
    services_.messages.Show(this, text, CommonTexts::Title, MessageIcon::None);
}

} // namespace dovra
