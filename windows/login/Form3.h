#pragma once

#include "exchanges/Login.h"
#include "windows/common/Guard.h"
#include "windows/common/Services.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace dovra {

// The login window: business number and authentication number handed to the login exchange; on its
// success the window closes for the main window.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(const Services& services, QWidget* parent = nullptr);

    // The window's picture, read ahead while the program starts.
    static const QString FaceName;

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
    void StartLogin(bool askForAuthNo);
    void Login_Finished(const LoginResult& result);
    template <class... Args> auto Guarded(void (Form3::*handler)(Args...)) {
        return GuardedSlot(services_, this, handler, &Form3::RecoverFromFault);
    }
    void RecoverFromFault();

    QLineEdit* Text1;
    QLineEdit* Text4;
    QPushButton* btnLogin;
    QLineEdit* Text2;
    Login* login_;

    const Services& services_;
    bool accepted_ = false;
};

} // namespace dovra
