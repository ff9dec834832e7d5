#pragma once

#include "exchanges/Payment.h"
#include "windows/common/Guard.h"
#include "windows/common/LookupStep.h"
#include "windows/common/Services.h"
#include "windows/main/SystemTray.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <string>
#include <vector>

class QKeyEvent;

namespace dovra {

// The main window: card lookup buttons, payment entry, the tray icon, the portal and logout. The entry
// is handed to the payment exchange as a value when 결제하기 is clicked; the window shows the outcome.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(const Services& services, QWidget* parent = nullptr);

    void AddResultLine(const QString& line);
    // A card lookup window's card, answer or breaking off.
    void TakeLookup(const LookupStep& step);
    // After an answer: the entry emptied and locked, the result lines kept, the pay button open again.
    void ReturnToIdle();

signals:
    // The lookup buttons have cleared the entry; the program opens the lookup window over this one.
    void CardReaderRequested(dovra::Entry::Kind kind);
    void ManualEntryRequested(dovra::Entry::Kind kind);
    // An approval or cancellation went through: the program asks whether to print its receipt, and
    // the entry keeps showing the transaction until the question is closed.
    void ReceiptRequested(const dovra::Receipt& receipt);
    void LoggedOut();
    // Closed other than by logout: the program ends.
    void Closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void ConnectEntry();
    void Form_Load();
    void ClearEntry();
    void ResetEntryControls();
    void RestoreWindow();
    void Command1_Click();
    void Command2_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void cmbCare1_Click();
    void Command3_Click();
    void Combo1_Click();
    bool txtCare_Amount1_KeyPress(const QKeyEvent& key);
    void txtOrg_auth_date_GotFocus();
    void MonthView1_DateClick();
    void Command6_Click();
    void btnLogout_Click();
    Entry::Kind SelectedKind() const;
    // What the merchant has typed and chosen, as the counter takes it.
    Entry CurrentEntry() const;
    // The care item the list shows, as the lookup answered it; none when the list is empty.
    const CareChoice* ChosenCare() const;
    void ShowCardAnswer(const CardOutcome& outcome);

    void Command4_Click();
    void Payment_Finished(const PaymentResult& result);
    void SetBusy(bool busy);

    // A handler as a slot that no fault escapes from.
    template <class... Args> auto Guarded(void (Form1::*handler)(Args...)) {
        return GuardedSlot(services_, this, handler, &Form1::RecoverFromFault);
    }
    void RecoverFromFault();

    QRadioButton* Option1;
    QRadioButton* Option2;
    QRadioButton* Option3;
    QPushButton* Command1;
    QPushButton* Command2;
    QLineEdit* Card1;
    QLineEdit* Card2;
    QLineEdit* Card3;
    QLineEdit* Card4;
    QComboBox* cmbCare1;
    QLineEdit* txtTeacher1;
    QLineEdit* txtCare_Amount1;
    QPushButton* Command3;
    QComboBox* Combo1;
    QLineEdit* txtreson;
    QLineEdit* txtOrg_approval_no;
    QLineEdit* txtOrg_auth_date;
    QCalendarWidget* MonthView1;
    QPushButton* Command4;
    QListWidget* lstResult;
    QPushButton* Command6;
    QPushButton* btnLogout;
    QLineEdit* Text1;

    const Services& services_;
    Payment* payment_;
    SystemTray tray_;
    bool loggingOut_ = false;
    // The items cmbCare1 offers, in its order: a lookup may list only some of the nine, and the request
    // must send the codes of the one chosen.
    std::vector<CareChoice> careChoices_;
};

} // namespace dovra
