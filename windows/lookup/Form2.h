#pragma once

#include "windows/common/Guard.h"
#include "windows/common/Services.h"
#include "windows/common/TelegramSocket.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <string>

namespace dovra {

class Form1;

// The manual entry window: the merchant types the 16 digits of a card the reader cannot read, "확인"
// looks the card up at the fixed lookup server, and the answer fills the main window before this window
// closes.
class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2(const Services& services, Form1& main);

    QLineEdit* Card1;
    QLineEdit* Card2;
    QLineEdit* Card3;
    QLineEdit* Card4;
    QPushButton* btnOk;
    QPushButton* btnClose;
    TelegramSocket* Winsock1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString TypedCard() const;
    void btnOk_Click();
    void btnClose_Click();
    void Winsock1_Connect();
    void Winsock1_DataArrival(const std::string& decrypted);
    void Winsock1_Failed(TelegramSocket::Failure failure);
    void Tell(const QString& text);
    template <class... Args> auto Guarded(void (Form2::*handler)(Args...)) {
        return GuardedSlot(services_, this, handler, &Form2::RecoverFromFault);
    }
    void RecoverFromFault();

    const Services& services_;
    Form1& main_;
};

} // namespace dovra
