#pragma once

#include "windows/common/Guard.h"
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

#include <array>
#include <optional>
#include <string>

class QKeyEvent;

namespace dovra {

// The main window: card lookup buttons, payment entry, transaction requests and their answers, the
// tray icon, the portal and logout.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // The automatic cancellations outlive the window; without one given, the window keeps its own.
    explicit Form1(const Services& services, AutomaticCancellation* cancellations = nullptr,
                   QWidget* parent = nullptr);

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
    TelegramSocket* sckMain2;

    // Care item k (1 to 9) of the last card lookup, as received, at index k - 1.
    std::array<std::string, 9> Care_code;
    std::array<std::string, 9> Care_Amount;
    std::array<std::string, 9> Teacher;
    std::array<std::string, 9> Teacher_code;

    void ClearEntry();
    // After an answer: the entry emptied and locked, the result lines kept, the pay button open again.
    void ReturnToIdle();
    void RestoreWindow();
    void AddResultLine(const std::string& cp949);

    // cmbCare1's entries each remember the care item (1 to 9) they stand for, since the lookups list
    // only some of the nine and the requests must send that item's codes.
    void AddCareEntry(const QString& name, int item);
    // Selects as the merchant would, so the teacher and amount follow.
    void SelectCareEntry(int index);
    // The care item of the selected entry, 1 to 9; 0 with nothing selected.
    int SelectedCareItem() const;

signals:
    // The lookup buttons have cleared the entry; the program opens the lookup window over this one.
    void CardReaderRequested();
    void ManualEntryRequested();
    void LoggedOut();
    // Closed other than by logout: the program ends.
    void Closed();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What was sent on sckMain: its answer is read as this, whatever the option buttons show by then.
    enum class RequestKind { Approval, Cancellation, BalanceInquiry };

    void BuildControls();
    void ResetEntryControls();
    void ConnectEntry();
    void Form_Load();
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
    // Requests.
    void Command4_Click();
    void sckMain_Connect();
    void sckMain_Failed(TelegramSocket::Failure failure);
    void timeMain_Timer();
    // The answer will not come: the automatic cancellation for an approval, then the message (none
    // when empty), and the window free again.
    void EndUnanswered(const QString& message);
    void SetBusy(bool busy);
    RequestKind SelectedKind() const;
    void RefuseToSend(const QString& text);

    // Answers.
    void sckMain_DataArrival(const std::string& decrypted);
    void ShowReceipt(RequestKind kind);

    // A handler as a slot that no fault escapes from.
    template <class... Args> auto Guarded(void (Form1::*handler)(Args...)) {
        return GuardedSlot(services_, this, handler, &Form1::RecoverFromFault);
    }
    void RecoverFromFault();

    const Services& services_;
    AutomaticCancellation* cancellations_;
    SystemTray tray_;
    bool loggingOut_ = false;
    std::optional<RequestKind> inFlight_;
    // The approval in flight: its journal entry and the telegram as it was sent.
    std::string openApprovalId_;
    std::string openApproval_;
};

} // namespace dovra
