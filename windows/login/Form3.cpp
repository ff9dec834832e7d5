#include "windows/login/Form3.h"

#include "windows/common/CommonTexts.h"
#include "windows/common/Face.h"
#include "windows/common/Text.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace dovra {

namespace {
namespace Texts {
const QString Login = QStringLiteral("로그인");
const QString Version = QStringLiteral("Version: 44");
const QString EnterAuthNo = QStringLiteral("인증번호를 입력해주세요");
const QString Refused = QStringLiteral("사업자번호 또는 인증번호를 다시 확인해주시기 바랍니다.");
const QString NotSaved =
    QStringLiteral("가맹점 정보를 설정 파일에 저장할 수 없습니다. 저장 공간과 폴더 권한을 확인해주세요");
} // namespace Texts
} // namespace

Form3::Form3(const Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName("Form3");
    setWindowTitle(CommonTexts::Title);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(750, 700);
    new Face(QStringLiteral(":/faces/Form3.png"), this);

    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    Text1->setMaxLength(10);
    PlaceTwips(Text1, 3360, 3960, 3855, 495);

    Text4 = new QLineEdit(this);
    Text4->setObjectName("Text4");
    Text4->setEchoMode(QLineEdit::Password);
    Text4->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
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

    Winsock1 = new TelegramSocket("Winsock1", LoginExchange, services_, this);
    connect(Winsock1, &TelegramSocket::Connected, this, Guarded(&Form3::Winsock1_Connect));
    connect(Winsock1, &TelegramSocket::Answered, this, Guarded(&Form3::Winsock1_DataArrival));
    connect(Winsock1, &TelegramSocket::Failed, this, Guarded(&Form3::Winsock1_Failed));
}

void Form3::RecoverFromFault() {
    Winsock1->Close();
    btnLogin->setEnabled(true);
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the authentication box connects straight away: no emptiness check, button untouched.
    if (watched == Text4 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Guarded (&Form3::StartConnection)();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form3::closeEvent(QCloseEvent* event) {
    Winsock1->Close();
    event->accept();
    if (!accepted_) {
        emit Closed();
    }
}

void Form3::btnLogin_Click() {
    btnLogin->setEnabled(false);
    if (Text4->text().isEmpty()) {
        Tell(Texts::EnterAuthNo);
        btnLogin->setEnabled(true);
        return;
    }
    StartConnection();
}

void Form3::StartConnection() {
    auto server = services_.counter.settings().ApprovalServer();
    if (!server) {
        Winsock1->Close();
        Tell(CommonTexts::CheckServerSettings);
        btnLogin->setEnabled(true);
        return;
    }
    Winsock1->Open(*server);
}

void Form3::Winsock1_Connect() {
    std::string telegram = services_.counter.LoginRequest(ToCp949(Text1->text()), ToCp949(Text4->text()));
    if (Winsock1->Send(telegram) != EnvelopeError::None) {
        Winsock1->Close();
        Tell(CommonTexts::CannotEncrypt);
        btnLogin->setEnabled(true);
    }
}

void Form3::Winsock1_DataArrival(const std::string& decrypted) {
    LoginOutcome outcome = services_.counter.ReadLoginAnswer(decrypted);
    if (outcome.result != LoginOutcome::Result::Accepted) {
        Tell(outcome.result == LoginOutcome::Result::Refused ? Texts::Refused
                                                             : CommonTexts::UnreadableAnswer);
        btnLogin->setEnabled(true);
        return;
    }
    // Every later request reads the merchant number from the settings: without it saved, the main window
    // would send for nobody, or for the merchant who logged in before.
    const Settings& settings = services_.counter.settings();
    if (!settings.SaveMerchant(outcome.merchant)) {
        Tell(Texts::NotSaved);
        btnLogin->setEnabled(true);
        return;
    }
    // Only the update service reads this one: the merchant hears of it, but the counter can work.
    if (!settings.SaveBusinessNumber(ToCp949(Text1->text()))) {
        Tell(Texts::NotSaved);
    }
    accepted_ = true;
    close();
    emit LoginAccepted();
}

void Form3::Winsock1_Failed(TelegramSocket::Failure failure) {
    Winsock1->Close();
    Tell(FailureText(failure));
    btnLogin->setEnabled(true);
}

void Form3::Tell(const QString& text) {
    services_.messages.Show(this, text, CommonTexts::Title, MessageIcon::None);
}

} // namespace dovra
