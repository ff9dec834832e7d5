#pragma once

#include "windows/common/Guard.h"
#include "windows/common/Services.h"
#include "windows/common/TelegramSocket.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <string>

class QKeyEvent;

namespace dovra {

class Form1;
struct ResponseFields;

// The card-reader window: the reader types the card's track into a box the merchant never sees, "="
// or Enter sends the "0200" lookup, and the answer fills the main window before this window closes.
class Form6 : public QWidget {
    Q_OBJECT
public:
    Form6(const Services& services, Form1& main);

    QLineEdit* Text1;
    QPushButton* Command1;
    TelegramSocket* Winsock1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Text1_KeyPress(const QKeyEvent& key);
    void Winsock1_Connect();
    void Winsock1_DataArrival(const std::string& decrypted);
    void Winsock1_Failed(TelegramSocket::Failure failure);
    void Command1_Click();
    void ListCareItems(const ResponseFields& answer);
    void Tell(const QString& text);
    template <class... Args> auto Guarded(void (Form6::*handler)(Args...)) {
        return GuardedSlot(services_, this, handler, &Form6::RecoverFromFault);
    }
    void RecoverFromFault();

    const Services& services_;
    Form1& main_;
};

} // namespace dovra
