#include "windows/main/Form1.h"

#include "windows/common/CommonTexts.h"
#include "windows/common/Face.h"
#include "windows/common/Guard.h"
#include "windows/common/Looks.h"
#include "windows/common/Text.h"
#include "windows/main/Form1Texts.h"

#include "BuildSettings.h"

#include <QCloseEvent>
#include <QTimer>

namespace dovra {

namespace {

namespace Texts = Form1Texts;

template <class Control>
Control* Make(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* control = new Control(parent);
    control->setObjectName(name);
    control->setFont(WindowFont());
    PlaceTwips(control, left, top, width, height);
    return control;
}

void Lock(QWidget* control, const QColor& colour) {
    control->setEnabled(false);
    SetBackColour(control, colour);
}

} // namespace

Form1::Form1(const Services& services, QWidget* parent)
    : QWidget(parent), services_(services), payment_(new Payment(services.exchanges, this)),
      tray_(services.tray) {
    setObjectName("Form1");
    setWindowTitle(CommonTexts::Title);
    setWindowIcon(ShippedPicture(QStringLiteral("icon")));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(750, 700);
    new Face(QStringLiteral("Form1"), this);
    BuildControls();
    Form_Load();
}

void Form1::BuildControls() {
    Option1 = Make<QRadioButton>(this, "Option1", 3120, 1740, 255, 255);
    Option2 = Make<QRadioButton>(this, "Option2", 4440, 1740, 255, 255);
    Option3 = Make<QRadioButton>(this, "Option3", 5640, 1740, 255, 255);
    Command1 = Make<QPushButton>(this, "Command1", 3060, 2220, 1300, 470);
    Command1->setText(Texts::CardReader);
    Command2 = Make<QPushButton>(this, "Command2", 4680, 2220, 1155, 470);
    Command2->setText(Texts::ManualEntry);
    Card1 = Make<QLineEdit>(this, "Card1", 3060, 2850, 750, 435);
    Card2 = Make<QLineEdit>(this, "Card2", 4050, 2850, 750, 435);
    Card3 = Make<QLineEdit>(this, "Card3", 5100, 2850, 750, 435);
    Card4 = Make<QLineEdit>(this, "Card4", 6120, 2850, 750, 435);
    cmbCare1 = Make<QComboBox>(this, "cmbCare1", 3060, 3450, 3825, 435);
    txtTeacher1 = Make<QLineEdit>(this, "txtTeacher1", 3060, 4050, 1500, 420);
    txtCare_Amount1 = Make<QLineEdit>(this, "txtCare_Amount1", 3060, 4620, 1500, 420);
    Command3 = Make<QPushButton>(this, "Command3", 5100, 4620, 1155, 470);
    Command3->setText(Texts::ChangeAmount);
    Combo1 = Make<QComboBox>(this, "Combo1", 4305, 5145, 5640, 450);
    txtreson = Make<QLineEdit>(this, "txtreson", 4300, 5640, 5610, 420);
    txtOrg_approval_no = Make<QLineEdit>(this, "txtOrg_approval_no", 3060, 6240, 1515, 420);
    txtOrg_auth_date = Make<QLineEdit>(this, "txtOrg_auth_date", 3060, 6820, 1515, 420);
    MonthView1 = new QCalendarWidget(this);
    MonthView1->setObjectName("MonthView1");
    MonthView1->move(txtOrg_auth_date->x(), txtOrg_auth_date->y() - 190);
    MonthView1->resize(280, 190);
    MonthView1->hide();
    Command4 = Make<QPushButton>(this, "Command4", 9720, 7390, 1155, 470);
    Command4->setText(Texts::Pay);
    lstResult = Make<QListWidget>(this, "lstResult", 30, 7900, 11175, 2025);
    Command6 = Make<QPushButton>(this, "Command6", 8340, 9970, 1155, 470);
    Command6->setText(Texts::HomePage);
    btnLogout = Make<QPushButton>(this, "btnLogout", 9720, 9970, 1155, 470);
    btnLogout->setText(Texts::Logout);
    Text1 = Make<QLineEdit>(this, "Text1", 300, 10080, 4635, 315);
    Text1->setReadOnly(true);

    QWidget* order[] = {Option1,
                        Option2,
                        Option3,
                        Command1,
                        Command2,
                        Card1,
                        Card2,
                        Card3,
                        Card4,
                        cmbCare1,
                        txtTeacher1,
                        txtCare_Amount1,
                        Command3,
                        Combo1,
                        txtreson,
                        txtOrg_approval_no,
                        txtOrg_auth_date,
                        Command4,
                        lstResult,
                        Command6,
                        btnLogout,
                        Text1};
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    connect(Command4, &QPushButton::clicked, this, Guarded(&Form1::Command4_Click));
    connect(payment_, &Payment::Finished, this, Guarded(&Form1::Payment_Finished));

    connect(Command1, &QPushButton::clicked, this, Guarded(&Form1::Command1_Click));
    connect(Command2, &QPushButton::clicked, this, Guarded(&Form1::Command2_Click));
    connect(Command6, &QPushButton::clicked, this, Guarded(&Form1::Command6_Click));
    connect(btnLogout, &QPushButton::clicked, this, Guarded(&Form1::btnLogout_Click));
    ConnectEntry();
}

void Form1::Form_Load() {
    for (QWidget* control :
         {static_cast<QWidget*>(Card1), static_cast<QWidget*>(Card2), static_cast<QWidget*>(Card3),
          static_cast<QWidget*>(Card4), static_cast<QWidget*>(cmbCare1), static_cast<QWidget*>(txtTeacher1),
          static_cast<QWidget*>(txtCare_Amount1), static_cast<QWidget*>(Combo1)}) {
        Lock(control, InactiveCaptionColour());
    }
    Command3->setEnabled(false);
    Lock(txtOrg_approval_no, ButtonFaceColour());
    Lock(txtOrg_auth_date, ButtonFaceColour());
    // The reason box opens only with the eighth reason; it starts as every transaction leaves it.
    Lock(txtreson, ButtonFaceColour());
    SetBorder(txtreson, false);
    Text1->setText(ToQt(services_.settings().ReadMerchant().name));
    Option1->setChecked(true);
}

void Form1::ClearEntry() {
    ResetEntryControls();
    lstResult->clear();
}

void Form1::ReturnToIdle() {
    ResetEntryControls();
    SetBusy(false);
}

// While a request is out, nothing on the window may change what it is about: the buttons that would
// clear the entry or leave the window wait with the pay button.
void Form1::SetBusy(bool busy) {
    for (QWidget* control : std::initializer_list<QWidget*>{Command4, Command1, Command2, Option1, Option2,
                                                            Option3, btnLogout}) {
        control->setEnabled(!busy);
    }
}

void Form1::ResetEntryControls() {
    for (QLineEdit* box : {Card1, Card2, Card3, Card4}) {
        box->clear();
    }
    cmbCare1->clear();
    Lock(cmbCare1, InactiveCaptionColour());
    careChoices_.clear();
    txtTeacher1->clear();
    txtCare_Amount1->clear();
    txtOrg_approval_no->clear();
    txtOrg_auth_date->clear();
    Command3->setEnabled(false);
    txtCare_Amount1->setEnabled(false);
    Lock(Combo1, InactiveCaptionColour());
    Combo1->clear();
    SetBackColour(txtCare_Amount1, InactiveCaptionColour());
    SetBorder(txtCare_Amount1, false);
    txtreson->clear();
    Lock(txtreson, ButtonFaceColour());
    SetBorder(txtreson, false);
}

void Form1::AddResultLine(const QString& line) {
    lstResult->addItem(line);
}

void Form1::RestoreWindow() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
    activateWindow();
}

void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        tray_.AddTrayIcon(this, Texts::TrayTip, windowIcon(), [this] { RestoreWindow(); });
    }
    QWidget::changeEvent(event);
}

void Form1::closeEvent(QCloseEvent* event) {
    // An approval still waiting for its answer has an unknown outcome once the window is gone: its
    // automatic cancellation goes.
    RunGuarded(
        services_, this, [this] { payment_->Stop(); }, [] {});
    tray_.RemoveTrayIcon();
    event->accept();
    if (loggingOut_) {
        emit LoggedOut();
    } else {
        emit Closed();
    }
}

void Form1::Command1_Click() {
    ClearEntry();
    emit CardReaderRequested(SelectedKind());
}

void Form1::Command2_Click() {
    ClearEntry();
    emit ManualEntryRequested(SelectedKind());
}

void Form1::Command6_Click() {
    services_.portal.Open(QUrl(QStringLiteral("https://%1/brelo/login/mng/main.han")
                                   .arg(QString::fromUtf8(BuildSettings::PortalHost))));
}

void Form1::btnLogout_Click() {
    loggingOut_ = true;
    close();
}

// The entry is taken once, here: what is checked is what is sent, whatever the boxes show by the time
// the connection is made.
void Form1::Command4_Click() {
    SetBusy(true);
    payment_->Start(CurrentEntry());
}

void Form1::Payment_Finished(const PaymentResult& result) {
    const ExchangeOutcome& outcome = result.outcome;
    // Sent and unanswered is told under the program's short name, as it always was.
    bool sent = outcome.kind == ExchangeOutcome::Kind::NotAnswered ||
                outcome.kind == ExchangeOutcome::Kind::Unreadable;
    TellOutcome(services_, this, outcome, sent ? CommonTexts::AppTitle : CommonTexts::Title);
    if (outcome.kind == ExchangeOutcome::Kind::Answered) {
        lstResult->clear();
        for (const std::string& line : result.lines) {
            AddResultLine(ToQt(line));
        }
    }
    if (!outcome.warning.isEmpty()) {
        // After the answer's result lines and receipt question, not in the middle of them.
        QTimer::singleShot(0, this, [this, warning = outcome.warning] {
            services_.messages.Show(this, warning, CommonTexts::Title, MessageIcon::Warning);
        });
    }
    if (result.receipt) {
        emit ReceiptRequested(*result.receipt);
    } else if (outcome.kind == ExchangeOutcome::Kind::Answered || outcome.fault) {
        ReturnToIdle();
    } else {
        SetBusy(false);
    }
}

// A request that is out keeps its time-out or answer; otherwise the window starts over.
void Form1::RecoverFromFault() {
    if (!payment_->Busy()) {
        ReturnToIdle();
    }
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
        cmbCare1->addItem(ToQt(choice.name), static_cast<int>(careChoices_.size()));
        careChoices_.push_back(choice);
    }
    txtTeacher1->setText(ToQt(outcome.shown.teacher));
    txtCare_Amount1->setText(ToQt(outcome.shown.amount));
    bool open = outcome.careList == CardOutcome::CareList::Open;
    cmbCare1->setEnabled(open);
    SetBackColour(cmbCare1, open ? OpenColour() : LightGreyColour());
    if (outcome.careList == CardOutcome::CareList::Withdrawn) {
        cmbCare1->clear();
        careChoices_.clear();
    }
    Command3->setEnabled(outcome.amountChange);
    if (outcome.amountChange) {
        SetBackColour(Command3, OpenColour());
    }
}

} // namespace dovra
