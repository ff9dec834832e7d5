#pragma once

#include "windows/common/Guard.h"
#include "windows/common/LookupStep.h"
#include "windows/common/Services.h"
#include "windows/common/TelegramSocket.h"
#include "windows/main/AutomaticCancellation.h"
#include "windows/main/SystemTray.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include <optional>
#include <string>

class QKeyEvent;

namespace dovra {

// The main window: card lookup buttons, payment entry, transaction requests and their answers, the
// tray icon, the portal and logout. What it sends and how it reads an answer is the counter's; the
// window copies the entry into it and shows what comes back.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // The automatic cancellations outlive the window; without one given, the window keeps its own.
    explicit Form1(const Services& services, AutomaticCancellation* cancellations = nullptr,
                   QWidget* parent = nullptr);

    void AddResultLine(const QString& line);
    // A card lookup window's card, answer or breaking off.
    void TakeLookup(const LookupStep& step);

signals:
    // The lookup buttons have cleared the entry; the program opens the lookup window over this one.
    void CardReaderRequested(dovra::Entry::Kind kind);
    void ManualEntryRequested(dovra::Entry::Kind kind);
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
    // After an answer: the entry emptied and locked, the result lines kept, the pay button open again.
    void ReturnToIdle();
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

    // Requests.
    void Command4_Click();
    void sckMain_Connect();
    void sckMain_Failed(TelegramSocket::Failure failure);
    void timeMain_Timer();
    // The answer will not come: the automatic cancellation for an approval, then the message (none
    // when empty), and the window free again.
    void EndUnanswered(const QString& message);
    void SetBusy(bool busy);
    void RefuseToSend(const QString& text);

    // Answers.
    void sckMain_DataArrival(const std::string& decrypted);
    void ShowCardAnswer(const CardOutcome& outcome);
    void ShowReceipt(const Receipt& receipt);

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
    QTimer* timeMain;
    TelegramSocket* sckMain;

    const Services& services_;
    Counter& counter_;
    AutomaticCancellation* cancellations_;
    SystemTray tray_;
    bool loggingOut_ = false;
    // What was sent on sckMain: its answer is read as this, whatever the window shows by then.
    std::optional<Entry> inFlight_;
    // The approval in flight: its journal entry and the telegram as it was sent.
    std::string openApprovalId_;
    std::string openApproval_;
};

} // namespace dovra
