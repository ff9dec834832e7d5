#include "windows/main/Form1.h"

#include "foundations/Clock.h"
#include "windows/common/Guard.h"
#include "windows/common/Looks.h"
#include "windows/common/Text.h"
#include "windows/main/Form1Texts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

namespace dovra {

namespace {

namespace Texts = Form1Texts;

// Open boxes are enabled on white with a border; locked ones disabled on the given colour without.
void SetOpen(QLineEdit* box, bool open, const QColor& locked) {
    box->setEnabled(open);
    SetBackColour(box, open ? OpenColour() : locked);
    SetBorder(box, open);
}

// The calendar's month menu is a window of its own, so being inside it is asked by parentage.
bool Within(const QWidget* widget, const QWidget* outer) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        if (widget == outer) {
            return true;
        }
    }
    return false;
}

} // namespace

void Form1::ConnectEntry() {
    connect(Option1, &QRadioButton::clicked, this, Guarded(&Form1::Option1_Click));
    connect(Option2, &QRadioButton::clicked, this, Guarded(&Form1::Option2_Click));
    connect(Option3, &QRadioButton::clicked, this, Guarded(&Form1::Option3_Click));
    // activated rather than currentIndexChanged: choosing the entry already shown must still bring its
    // amount back over one the merchant typed.
    connect(cmbCare1, &QComboBox::activated, this, Guarded(&Form1::cmbCare1_Click));
    connect(Command3, &QPushButton::clicked, this, Guarded(&Form1::Command3_Click));
    connect(Combo1, &QComboBox::activated, this, Guarded(&Form1::Combo1_Click));
    txtCare_Amount1->installEventFilter(this);
    // A Korean input method would compose text past the key filter.
    txtCare_Amount1->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtOrg_auth_date->installEventFilter(this);
    connect(MonthView1, &QCalendarWidget::clicked, this, Guarded(&Form1::MonthView1_DateClick));
    // The calendar belongs to the date box: it goes when the focus leaves both, so it never stays open
    // over the form once the merchant has moved on without picking a date. Focus also moves while the
    // window is being torn down, when none of Form1 may be called any more, so the handler holds on to
    // the two widgets alone.
    connect(qApp, &QApplication::focusChanged, MonthView1,
            [calendar = static_cast<QWidget*>(MonthView1),
             dateBox = QPointer<QWidget>(txtOrg_auth_date)](QWidget* old, QWidget* now) {
                auto ours = [&](QWidget* w) { return Within(w, calendar) || (dateBox && w == dateBox); };
                if (ours(old) && !ours(now)) {
                    calendar->hide();
                }
            });
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtCare_Amount1 && event->type() == QEvent::KeyPress) {
        return txtCare_Amount1_KeyPress(static_cast<const QKeyEvent&>(*event));
    }
    if (watched == txtOrg_auth_date && event->type() == QEvent::FocusIn) {
        Guarded (&Form1::txtOrg_auth_date_GotFocus)();
    }
    return QWidget::eventFilter(watched, event);
}

// Changing the kind of transaction throws the looked-up card away: it must be read again.
void Form1::Option1_Click() {
    ClearEntry();
    SetOpen(txtOrg_approval_no, false, ButtonFaceColour());
    SetOpen(txtOrg_auth_date, false, ButtonFaceColour());
}

void Form1::Option2_Click() {
    ClearEntry();
    SetOpen(txtOrg_approval_no, true, ButtonFaceColour());
    SetOpen(txtOrg_auth_date, true, ButtonFaceColour());
}

void Form1::Option3_Click() {
    ClearEntry();
    SetOpen(txtOrg_approval_no, false, ButtonFaceColour());
    SetOpen(txtOrg_auth_date, false, ButtonFaceColour());
}

Entry::Kind Form1::SelectedKind() const {
    if (Option1->isChecked()) {
        return Entry::Kind::Approval;
    }
    return Option2->isChecked() ? Entry::Kind::Cancellation : Entry::Kind::BalanceInquiry;
}

Entry Form1::CurrentEntry() const {
    Entry entry;
    entry.kind = SelectedKind();
    entry.card = ToCp949(Card1->text() + Card2->text() + Card3->text() + Card4->text());
    if (const CareChoice* chosen = ChosenCare()) {
        entry.careCode = chosen->care.ItemCode;
        entry.teacherCode = chosen->care.ItemTeacherCode;
    }
    entry.careName = ToCp949(cmbCare1->currentText());
    entry.teacherName = ToCp949(txtTeacher1->text());
    entry.amount = ToCp949(txtCare_Amount1->text());
    entry.reason = Combo1->currentIndex();
    entry.ownWords = ToCp949(txtreson->text());
    entry.orgApprovalNo = ToCp949(txtOrg_approval_no->text());
    entry.orgAuthDate = ToCp949(txtOrg_auth_date->text());
    return entry;
}

const CareChoice* Form1::ChosenCare() const {
    bool numeric = false;
    int at = cmbCare1->currentData().toInt(&numeric);
    if (!numeric || at < 0 || at >= static_cast<int>(careChoices_.size())) {
        return nullptr;
    }
    return &careChoices_[static_cast<size_t>(at)];
}

void Form1::cmbCare1_Click() {
    if (const CareChoice* chosen = ChosenCare()) {
        CareShown shown = ShowCare(chosen->care);
        txtTeacher1->setText(ToQt(shown.teacher));
        txtCare_Amount1->setText(ToQt(shown.amount));
    }
}

void Form1::Command3_Click() {
    txtreson->clear();
    SetOpen(txtreson, false, ButtonFaceColour());
    Combo1->clear();
    Combo1->setEnabled(true);
    for (std::string_view reason : AmountChangeReasons()) {
        Combo1->addItem(QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size())));
    }
    // A combo box selects its first entry by itself; choosing a reason is the merchant's to do.
    Combo1->setCurrentIndex(-1);
    SetBackColour(Combo1, OpenColour());
    SetOpen(txtCare_Amount1, true, InactiveCaptionColour());
}

void Form1::Combo1_Click() {
    if (Combo1->currentIndex() == OwnWordsReason) {
        SetOpen(txtreson, true, ButtonFaceColour());
        return;
    }
    txtreson->clear();
    SetOpen(txtreson, false, ButtonFaceColour());
}

// Returns whether the key is dropped. Only keys that type a character are judged: arrows, Delete and
// Tab move and delete as ever.
bool Form1::txtCare_Amount1_KeyPress(const QKeyEvent& key) {
    if (key.text().isEmpty() || key.key() == Qt::Key_Delete || key.key() == Qt::Key_Tab ||
        key.key() == Qt::Key_Backtab) {
        return false;
    }
    QChar typed = key.text().front();
    if (typed == QChar(8) || (typed >= u'0' && typed <= u'9')) {
        return false;
    }
    services_.messages.Show(this, Texts::DigitsOnly, Texts::DigitsOnlyTitle, MessageIcon::None);
    return true;
}

void Form1::txtOrg_auth_date_GotFocus() {
    LocalTime today = services_.clock.Now();
    MonthView1->setSelectedDate(QDate(today.year, today.month, today.day));
    MonthView1->setCurrentPage(today.year, today.month);
    MonthView1->show();
    MonthView1->raise();
}

// Written as YYYYMMDD whatever the system's date format, as the cancellation request wants it.
void Form1::MonthView1_DateClick() {
    txtOrg_auth_date->setText(MonthView1->selectedDate().toString(QStringLiteral("yyyyMMdd")));
    // Hidden while it has the focus, the calendar would pass it on wherever the focus chain happens to
    // lead; the pay button is what follows the date box in the tab order.
    if (Within(QApplication::focusWidget(), MonthView1)) {
        Command4->setFocus(Qt::OtherFocusReason);
    }
    MonthView1->hide();
}

} // namespace dovra
