#pragma once

#include "windows/common/Guard.h"
#include "windows/common/Services.h"
#include "windows/common/TelegramSocket.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace dovra {

// The login window: business number and authentication number, the "0100" exchange, and on success
// the merchant's details saved for the main window and the receipts.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(const Services& services, QWidget* parent = nullptr);

    QLineEdit* Text1;
    QLineEdit* Text4;
    QPushButton* btnLogin;
    QLineEdit* Text2;
    TelegramSocket* Winsock1;

signals:
    // The settings are written and this window is closed: the main window may open.
    void LoginAccepted();
    // Closed without a login: the program ends.
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void btnLogin_Click();
    void StartConnection();
    void Winsock1_Connect();
    void Winsock1_DataArrival(const std::string& decrypted);
    void Winsock1_Failed(TelegramSocket::Failure failure);
    void Tell(const QString& text);
    template <class... Args> auto Guarded(void (Form3::*handler)(Args...)) {
        return GuardedSlot(services_, this, handler, &Form3::RecoverFromFault);
    }
    void RecoverFromFault();

    const Services& services_;
    bool accepted_ = false;
};

} // namespace dovra
