#include "windows/login/Form3.h"

#include "windows/common/CommonTexts.h"
#include "windows/common/Face.h"
#include "windows/common/Text.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QProxyStyle>

namespace dovra {

namespace {
namespace Texts {
const QString Login = QStringLiteral("로그인");
const QString Version = QStringLiteral("Version: 44");
} // namespace Texts

// The authentication number shows as stars rather than the style's dots. A style sheet did the same at a
// good part of the window's making and drawing.
class StarsForPassword : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        return hint == SH_LineEdit_PasswordCharacter ? u'*'
                                                     : QProxyStyle::styleHint(hint, option, widget, data);
    }
};
} // namespace

const QString Form3::FaceName = QStringLiteral("Form3");

Form3::Form3(const Services& services, QWidget* parent)
    : QWidget(parent), login_(new Login(services.exchanges, this)), services_(services) {
    setObjectName("Form3");
    setWindowTitle(CommonTexts::Title);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(750, 700);
    new Face(FaceName, this);

    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    Text1->setMaxLength(10);
    PlaceTwips(Text1, 3360, 3960, 3855, 495);

    Text4 = new QLineEdit(this);
    Text4->setObjectName("Text4");
    Text4->setEchoMode(QLineEdit::Password);
    auto* stars = new StarsForPassword;
    stars->setParent(Text4);
    Text4->setStyle(stars);
    PlaceTwips(Text4, 3360, 4620, 3855, 495);
    Text4->installEventFilter(this);

    btnLogin = new QPushButton(Texts::Login, this);
    btnLogin->setObjectName("btnLogin");
    PlaceTwips(btnLogin, 7440, 3960, 1170, 1170);
    connect(btnLogin, &QPushButton::clicked, this, Guarded(&Form3::btnLogin_Click));

    Text2 = new QLineEdit(Texts::Version, this);
    Text2->setObjectName("Text2");
    Text2->setReadOnly(true);
    PlaceTwips(Text2, 9720, 10020, 1380, 375);

    for (QWidget* control : {static_cast<QWidget*>(Text1), static_cast<QWidget*>(Text4),
                             static_cast<QWidget*>(btnLogin), static_cast<QWidget*>(Text2)}) {
        control->setFont(WindowFont());
    }
    setTabOrder(Text1, Text4);
    setTabOrder(Text4, btnLogin);
    setTabOrder(btnLogin, Text2);

    connect(login_, &Login::Finished, this, Guarded(&Form3::Login_Finished));
}

void Form3::RecoverFromFault() {
    login_->Stop();
    btnLogin->setEnabled(true);
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the authentication box connects straight away: no emptiness check, button untouched.
    if (watched == Text4 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Guarded (&Form3::StartLogin)(false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form3::closeEvent(QCloseEvent* event) {
    login_->Stop();
    event->accept();
    if (!accepted_) {
        emit Closed();
    }
}

void Form3::btnLogin_Click() {
    btnLogin->setEnabled(false);
    StartLogin(true);
}

void Form3::StartLogin(bool askForAuthNo) {
    login_->Start({ToCp949(Text1->text()), ToCp949(Text4->text())}, askForAuthNo);
}

void Form3::Login_Finished(const LoginResult& result) {
    TellOutcome(services_, this, result.outcome, CommonTexts::Title);
    if (!result.accepted) {
        btnLogin->setEnabled(true);
        return;
    }
    accepted_ = true;
    close();
    emit LoginAccepted();
}

} // namespace dovra
