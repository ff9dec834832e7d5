#include "app/Program.h"
#include "counter/CounterFixture.h"
#include "support/WindowFixture.h"
#include "windows/login/Form3.h"
#include "windows/main/Form1.h"

#include <QTest>

using namespace dovra;

namespace {

const std::string Address = "서울특별시 마포구 월드컵로 120 3층";

class LoginTest : public WindowFixture {
protected:
    // Types the business number and authentication number and presses the button.
    void LogIn(const QString& authNo = "2580") {
        Find<QLineEdit>(form, "Text1")->setText("");
        form->Text4->setText("");
        QTest::keyClicks(Find<QLineEdit>(form, "Text1"), "1208147521");
        QTest::keyClicks(form->Text4, authNo);
        QTest::mouseClick(form->btnLogin, Qt::LeftButton);
    }
    bool Accepted() {
        return QTest::qWaitFor([&] { return accepted; }, 5000);
    }
    bool Told() {
        return QTest::qWaitFor([&] { return !messages.shown.empty(); }, 5000);
    }
    void UnwritableLog() {
        std::filesystem::create_directories(paths().root);
        std::ofstream(paths().LogFolder()) << "a file where the log folder should be";
    }

    void SetUp() override {
        form = new Form3(services);
        QObject::connect(form, &Form3::LoginAccepted, [this] { accepted = true; });
        form->show();
    }
    void TearDown() override { delete form.data(); }

    QPointer<Form3> form;
    bool accepted = false;
};

} // namespace

TEST_F(LoginTest, SendsWhatWasTypedAndSavesTheMerchantInOrder) {
    std::filesystem::create_directories(paths().root);
    peer->Answer(LoginAnswer("00", "새싹아동발달센터", Address), ScriptedPeer::Delivery::InPieces);
    LogIn("abc");
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4 + 34), "30" + Fit("1208147521", 15) + Fit("abc", 149));
    ASSERT_TRUE(Accepted());
    EXPECT_TRUE(form.isNull() || !form->isVisible());
    const std::string log = DayLog();
    EXPECT_EQ(log.find("abc"), std::string::npos);
    EXPECT_EQ(log.find("[ Resp "), log.rfind("[ Resp ")); // two pieces on the wire, one answer
    EXPECT_EQ(ReadWholeFile(paths().DovraSetting()),
              "[PellumInfo]\r\ndovra_Ip=127.0.0.1\r\ndovra_Port=" + std::to_string(peer->port()) +
                  "\r\ndovra_Issue_code=0301\r\n[ComInfo]\r\nName=" + Fit("새싹아동발달센터", 60) +
                  "\r\nNumber=000071052301\r\nTelephone=02-3456-7890 \r\nAddress=" + Fit(Address, 150) +
                  "\r\nPrint=1\r\n");
    EXPECT_EQ(ReadWholeFile(paths().UpdateServiceClient()),
              "[CustomerInfo]\r\nbusiness_number=1208147521\r\n");
}

TEST_F(LoginTest, SettingsThatCannotBeSavedAreToldAndTheLoginStays) {
    std::filesystem::create_directories(paths().root);
    std::filesystem::create_directories(paths().DovraSetting().string() + ".new"); // blocks every write
    peer->Answer(LoginAnswer("00", "새싹아동발달센터"));
    LogIn();
    ASSERT_TRUE(Told());
    EXPECT_EQ(messages.shown[0].text,
              "가맹점 정보를 설정 파일에 저장할 수 없습니다. 저장 공간과 폴더 권한을 확인해주세요");
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(form->isVisible() && form->btnLogin->isEnabled());
}

TEST_F(LoginTest, RefusalOrAFailedConnectionIsToldAndTheButtonIsReady) {
    peer->Answer(LoginAnswer("33", "새싹아동발달센터"));
    LogIn();
    ASSERT_TRUE(Told());
    EXPECT_EQ(messages.shown[0].text, "사업자번호 또는 인증번호를 다시 확인해주시기 바랍니다.");
    EXPECT_EQ(messages.shown[0].title, "도브라 승인 시스템");
    EXPECT_TRUE(form->btnLogin->isEnabled());
    EXPECT_EQ(ReadIni("ComInfo", "Name", paths().DovraSetting()), "");
    EXPECT_FALSE(accepted);

    peer.reset();
    LogIn();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == 2; }, 5000));
    EXPECT_EQ(messages.shown[1].text, "연결할 수 없습니다");
    EXPECT_TRUE(form->btnLogin->isEnabled());
}

TEST_F(LoginTest, NothingIsSentWithoutAnAuthenticationNumberOrAServer) {
    // The button asks for the number; Enter sends it as blanks, without a word.
    QTest::mouseClick(form->btnLogin, Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "인증번호를 입력해주세요");
    EXPECT_TRUE(form->btnLogin->isEnabled());
    WriteIni("PellumInfo", "dovra_Port", "15o24", paths().DovraSetting());
    form->Text4->setText("2580");
    QTest::mouseClick(form->btnLogin, Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text + messages.shown[1].title,
              "서버 접속 설정을 확인해주세요도브라 승인 시스템");
    EXPECT_TRUE(form->btnLogin->isEnabled());
    QTest::qWait(50);
    EXPECT_EQ(peer->connections, 0);

    WriteIni("PellumInfo", "dovra_Port", std::to_string(peer->port()), paths().DovraSetting());
    form->Text4->setText("");
    QTest::keyClick(form->Text4, Qt::Key_Return);
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4 + 51), std::string(149, ' '));
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(LoginTest, ControlsKeepTheirNamesLimitsAndPlaces) {
    EXPECT_EQ(form->size(), QSize(750, 700));
    EXPECT_EQ(Find<QLineEdit>(form, "Text1")->maxLength(), 10);
    EXPECT_EQ(form->Text4->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form->Text2->text(), "Version: 44");
    EXPECT_EQ(form->btnLogin->text(), "로그인");
    EXPECT_EQ(form->btnLogin->geometry(), QRect(496, 264, 78, 78));
    EXPECT_EQ(form->findChild<QLineEdit*>("Text4"), form->Text4);
    EXPECT_EQ(Find<QLineEdit>(form, "Text1")->nextInFocusChain(), form->Text4);
    // Message boxes take the windows' face from the application; a Korean system may name it in Korean.
    QString face = QFontInfo(QApplication::font()).family();
    EXPECT_TRUE(face == "NanumBarunGothic" || face == "나눔바른고딕") << face.toStdString();
}

TEST_F(LoginTest, AnUnwritableLogIsToldOnceAndTheLoginGoesOn) {
    UnwritableLog();
    peer->Answer(LoginAnswer("00", "새싹아동발달센터"));
    LogIn();
    ASSERT_TRUE(Accepted());
    ASSERT_TRUE(Told());
    QTest::qWait(50);
    ASSERT_EQ(messages.shown.size(), 1u); // both the request and the answer failed to log, one word
    EXPECT_EQ(messages.shown[0].text, "거래 로그를 기록할 수 없습니다. 저장 공간과 폴더 권한을 확인해주세요");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Warning);
}

TEST_F(LoginTest, TheLogWarningOutlivesTheWindowThatCameUponIt) {
    UnwritableLog();
    // The window goes after the request failed to log and before the warning's turn, as a login that
    // succeeds can have it under Windows' event order. The connection is told of before it is used.
    QObject::connect(
        form->Winsock1->socket(), &QAbstractSocket::stateChanged, qApp,
        [this](QAbstractSocket::SocketState state) {
            if (state == QAbstractSocket::ConnectedState) {
                delete form.data();
            }
        },
        Qt::QueuedConnection);
    LogIn();
    ASSERT_TRUE(Told());
    EXPECT_EQ(messages.shown[0].text, "거래 로그를 기록할 수 없습니다. 저장 공간과 폴더 권한을 확인해주세요");
    EXPECT_TRUE(form.isNull());
}
