#include "windows/lookup/Form6.h"

#include "foundations/AnsiText.h"
#include "foundations/Ini.h"
#include "foundations/NumberFormat.h"
#include "transport/ResponseCodes.h"
#include "windows/common/CommonTexts.h"
#include "windows/common/Face.h"
#include "windows/common/Text.h"
#include "windows/lookup/CardLookup.h"
#include "windows/main/Form1.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace dovra {

namespace {
namespace Texts {
const QString Cancel = QStringLiteral("취소");
const QString SupportRemain = QStringLiteral("치료지원 월잔여금액 : ");
const QString AfterSchoolRemain = QStringLiteral("방과후 월잔여금액 : ");
const QString AfterSchoolMark = QStringLiteral("(방과후)");
} // namespace Texts

constexpr int CardLength = 16;
} // namespace

Form6::Form6(const Services& services, Form1& main)
    : QWidget(&main, Qt::Dialog), services_(services), main_(main) {
    setObjectName("Form6");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(340, 140);
    new Face(QStringLiteral(":/faces/Form6.png"), this);

    // Below the bottom edge: it holds the focus for the reader without the merchant seeing the track.
    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    PlaceTwips(Text1, 840, 2280, 3075, 315);
    Text1->installEventFilter(this);

    Command1 = new QPushButton(Texts::Cancel, this);
    Command1->setObjectName("Command1");
    Command1->setFont(WindowFont());
    PlaceTwips(Command1, 1920, 1020, 1100, 470);
    connect(Command1, &QPushButton::clicked, this, Guarded(&Form6::Command1_Click));

    setTabOrder(Text1, Command1);
    Text1->setFocus();

    Winsock1 = new TelegramSocket("Winsock1", CardReaderLookupExchange, services_, this);
    connect(Winsock1, &TelegramSocket::Connected, this, Guarded(&Form6::Winsock1_Connect));
    connect(Winsock1, &TelegramSocket::Answered, this, Guarded(&Form6::Winsock1_DataArrival));
    connect(Winsock1, &TelegramSocket::Failed, this, Guarded(&Form6::Winsock1_Failed));
}

void Form6::RecoverFromFault() {
    AbandonLookup(*this, *Winsock1, main_);
}

bool Form6::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        Guarded (&Form6::Text1_KeyPress)(static_cast<const QKeyEvent&>(*event));
    }
    // Every key, "=" included, is typed into the box as well.
    return QWidget::eventFilter(watched, event);
}

void Form6::closeEvent(QCloseEvent* event) {
    Winsock1->Close();
    event->accept();
}

// A reader ends the card number with "=" and the whole track with Enter. Each starts the connection
// anew, and each connection that is made sends what the box holds by then.
void Form6::Text1_KeyPress(const QKeyEvent& key) {
    if (key.text() != QStringLiteral("=") && key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) {
        return;
    }
    auto server = ReadApprovalServer(services_.paths);
    if (!server) {
        Winsock1->Close();
        Tell(CommonTexts::CheckServerSettings);
        return;
    }
    Winsock1->Open(*server);
}

void Form6::Winsock1_Connect() {
    std::string card = AnsiLeft(ToCp949(Text1->text()), CardLength);
    if (CharCount(card) < CardLength) {
        // The connection stays: the next "=" or Enter of a new read makes a fresh one. The misread is
        // dropped, or it would lead the next read and make another card's number of the two.
        Tell(CommonTexts::EnterCardNumber);
        Text1->clear();
        return;
    }
    const auto settings = services_.paths.DovraSetting();
    LookupRequest request{ReadIni("PellumInfo", "dovra_Issue_code", settings), settings, "0", card};
    if (Winsock1->Send(AssembleCardLookup(services_, request)) != EnvelopeError::None) {
        Winsock1->Close();
        Tell(CommonTexts::CannotEncrypt);
        return;
    }
    std::string typed = ToCp949(Text1->text());
    QLineEdit* groups[] = {main_.Card1, main_.Card2, main_.Card3, main_.Card4};
    for (int i = 0; i < 4; ++i) {
        groups[i]->setText(ToQt(AnsiMid(typed, 1 + 4 * i, 4)));
    }
}

void Form6::Winsock1_DataArrival(const std::string& decrypted) {
    ResponseFields& answer = services_.telegrams.responseFields;
    CutCardAnswer(decrypted, answer);
    if (IsSuccess(answer.RespCode)) {
        ShowAcceptedLines(main_, answer);
        ShowFirstItem(main_, answer);
        OpenCareItems(main_);
        StoreCareItems(main_, answer);
        ListCareItems(answer);
        main_.SelectCareEntry(0);
    } else {
        ShowRefusal(main_, answer);
    }
    // Unlike the manual entry, the reader's lookup also takes back the teacher and the amount change.
    if (main_.Option3->isChecked()) {
        WithdrawCareItems(main_);
        main_.txtTeacher1->clear();
        main_.Command3->setEnabled(false);
    }
    close();
}

// Only therapy ("S") and after-school ("A") items are offered. Each programme's remaining budget is
// shown once per run of its items, from the run's first item; block 1's even when blank.
void Form6::ListCareItems(const ResponseFields& answer) {
    std::string previous;
    for (int k = 1; k <= CareItemCount; ++k) {
        const CareItem& item = answer.CareItems[static_cast<size_t>(k - 1)];
        std::string kind = AnsiRight(TrimSpaces(item.ItemCode), 1);
        bool runStarts = k == 1 || (kind != previous && !TrimSpaces(item.ItemRemain).empty());
        QString name = ToQt(std::string(TrimSpaces(item.ItemName)));
        if (kind == "S") {
            main_.AddCareEntry(name, k);
            if (runStarts) {
                main_.lstResult->addItem(Texts::SupportRemain + ToQt(FormatThousands(item.ItemRemain)));
            }
        } else if (kind == "A") {
            main_.AddCareEntry(name + Texts::AfterSchoolMark, k);
            if (runStarts) {
                main_.lstResult->addItem(Texts::AfterSchoolRemain + ToQt(FormatThousands(item.ItemRemain)));
            }
        }
        previous = kind;
    }
}

void Form6::Winsock1_Failed(TelegramSocket::Failure failure) {
    Winsock1->Close();
    Tell(FailureText(failure));
}

void Form6::Command1_Click() {
    Winsock1->Close();
    close();
}

void Form6::Tell(const QString& text) {
    services_.messages.Show(this, text, CommonTexts::Title, MessageIcon::None);
}

} // namespace dovra
