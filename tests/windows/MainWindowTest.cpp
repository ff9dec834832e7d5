#include "app/Program.h"
#include "support/WindowFixture.h"
#include "windows/common/Looks.h"
#include "windows/login/Form3.h"
#include "windows/main/Form1.h"

#include <QTest>

#include <algorithm>
#include <cmath>

using namespace dovra;

namespace {

// WCAG 2's contrast ratio, worked out here apart from the program's own.
double Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    auto [dark, light] = std::minmax({luminance(a), luminance(b)});
    return (light + 0.05) / (dark + 0.05);
}

class MainWindowTest : public WindowFixture {
protected:
    std::string LoginAnswer(const std::string& name) const {
        return Header("0100", "00", "1208147521") + "1" + "  " + PadField(Utf8ToCp949(name), false, 60) +
               "000071052301" + std::string(20, ' ') + PadField("02-3456-7890", false, 13) +
               std::string(150, ' ');
    }

    // Logs in through the real login window and returns the main window it opens.
    Form1* LogIn(Program& program, const std::string& merchantName) {
        peer->Answer(LoginAnswer(merchantName));
        Form3* login = program.loginWindow();
        login->Text1->setText("1208147521");
        login->Text4->setText("2580");
        QTest::mouseClick(login->btnLogin, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return program.mainWindow() != nullptr; }, 5000));
        return program.mainWindow();
    }
};

} // namespace

TEST_F(MainWindowTest, LoginOpensTheMainWindowAndLogoutComesBackWithTheNameReadAnew) {
    Program program(services);
    bool ended = false;
    QObject::connect(&program, &Program::Ended, [&] { ended = true; });
    program.ShowLogin();
    EXPECT_TRUE(program.loginWindow()->isModal());
    Form1* main = LogIn(program, "새싹아동발달센터");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(Find<QLineEdit>(main, "Text1")->text().trimmed(), "새싹아동발달센터");
    ASSERT_EQ(Find<QListWidget>(main, "lstResult")->count(), 1);
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->item(0)->text(), "프로그램이 정상적으로 실행되었습니다");

    QTest::mouseClick(Find<QPushButton>(main, "btnLogout"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.mainWindow() == nullptr; }, 2000));
    ASSERT_NE(program.loginWindow(), nullptr);
    EXPECT_TRUE(program.loginWindow()->isVisible() && program.loginWindow()->isModal());
    EXPECT_FALSE(ended);

    Form1* second = LogIn(program, "한빛발달센터");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Find<QLineEdit>(second, "Text1")->text().trimmed(), "한빛발달센터");

    second->close();
    EXPECT_TRUE(ended);
}

TEST_F(MainWindowTest, AnEarlierRunsCancellationWaitsForTheLogin) {
    // Sent before a login, it could meet a server that no longer knows this counter's address.
    RequestFields approval;
    approval.MsgType = "0500";
    approval.CardData = "9410000012345678";
    ASSERT_TRUE(
        AutomaticCancellation(services).queue().journal().RecordApproval(AssembleStandardRequest(approval)));
    Program program(services);
    program.ShowLogin();
    QTest::qWait(100);
    EXPECT_TRUE(peer->requests.empty());
    ASSERT_NE(LogIn(program, "새싹아동발달센터"), nullptr);
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[0].substr(4, 4), "0100");
    EXPECT_EQ(peer->requests[1].substr(4, 4), "0600");
}

TEST_F(MainWindowTest, OpensLockedInApprovalMode) {
    Form1 form(services);
    EXPECT_EQ(form.size(), QSize(750, 700));
    EXPECT_TRUE(Find<QRadioButton>(&form, "Option1")->isChecked());
    for (QWidget* locked : std::initializer_list<QWidget*>{
             Find<QLineEdit>(&form, "Card1"), Find<QLineEdit>(&form, "Card4"),
             Find<QComboBox>(&form, "cmbCare1"), Find<QLineEdit>(&form, "txtTeacher1"),
             Find<QLineEdit>(&form, "txtCare_Amount1"), Find<QComboBox>(&form, "Combo1")}) {
        EXPECT_FALSE(locked->isEnabled()) << locked->objectName().toStdString();
        EXPECT_EQ(BackColour(locked), InactiveCaptionColour()) << locked->objectName().toStdString();
        EXPECT_GE(
            Contrast(locked->palette().color(QPalette::Disabled, QPalette::Text), InactiveCaptionColour()),
            4.5);
    }
    EXPECT_FALSE(Find<QPushButton>(&form, "Command3")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(&form, "txtOrg_auth_date")->isEnabled());
    EXPECT_EQ(BackColour(Find<QLineEdit>(&form, "txtOrg_approval_no")), ButtonFaceColour());
    EXPECT_TRUE(Find<QCalendarWidget>(&form, "MonthView1")->isHidden());
    EXPECT_FALSE(Find<QTimer>(&form, "timeMain")->isActive());
    EXPECT_EQ(Find<QTimer>(&form, "timeMain")->interval(), 10000);
    EXPECT_EQ(Find<QPushButton>(&form, "Command4")->geometry(), QRect(648, 492, 77, 31));
}

TEST_F(MainWindowTest, LockedBoxesStayReadableOnAnySystemColour) {
    Form1 form(services);
    // Black, navy, Wine's grey caption, Wine's button face, the classic caption, white.
    for (QColor back : {QColor(0, 0, 0), QColor(10, 36, 106), QColor(128, 128, 128), QColor(212, 208, 200),
                        QColor(191, 205, 219), QColor(255, 255, 255)}) {
        for (QWidget* box : std::initializer_list<QWidget*>{Find<QLineEdit>(&form, "Card1"),
                                                            Find<QComboBox>(&form, "Combo1")}) {
            SetBackColour(box, back);
            for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
                EXPECT_GE(Contrast(box->palette().color(QPalette::Disabled, role), back), 4.5)
                    << box->objectName().toStdString() << " on " << back.name().toStdString();
            }
        }
    }
}

TEST_F(MainWindowTest, ClearEntryEmptiesTheEntryButKeepsModeAndPayButton) {
    Form1 form(services);
    Find<QLineEdit>(&form, "Card1")->setText("9410");
    Find<QComboBox>(&form, "cmbCare1")->addItem("언어치료");
    Find<QComboBox>(&form, "cmbCare1")->setEnabled(true);
    Find<QLineEdit>(&form, "txtreson")->setText("x");
    Find<QLineEdit>(&form, "txtreson")->setEnabled(true);
    Find<QListWidget>(&form, "lstResult")->addItem("line");
    Find<QRadioButton>(&form, "Option2")->setChecked(true);
    QTest::mouseClick(Find<QPushButton>(&form, "Command1"), Qt::LeftButton);
    EXPECT_TRUE(Find<QLineEdit>(&form, "Card1")->text().isEmpty());
    EXPECT_EQ(Find<QComboBox>(&form, "cmbCare1")->count(), 0);
    EXPECT_FALSE(Find<QComboBox>(&form, "cmbCare1")->isEnabled());
    EXPECT_EQ(Find<QListWidget>(&form, "lstResult")->count(), 0);
    EXPECT_TRUE(Find<QLineEdit>(&form, "txtreson")->text().isEmpty());
    EXPECT_FALSE(Find<QLineEdit>(&form, "txtreson")->isEnabled());
    EXPECT_TRUE(Find<QRadioButton>(&form, "Option2")->isChecked());
    EXPECT_TRUE(Find<QPushButton>(&form, "Command4")->isEnabled());
}

TEST_F(MainWindowTest, TrayHoldsOneIconWhileTheWindowLives) {
    auto* form = new Form1(services);
    form->show();
    form->showMinimized();
    QTest::qWait(20);
    EXPECT_EQ(tray.icons, 1);
    EXPECT_EQ(tray.lastTip, "도브라");
    ASSERT_TRUE(tray.doubleClick);
    tray.doubleClick();
    EXPECT_FALSE(form->isMinimized());
    EXPECT_EQ(tray.icons, 1); // restoring keeps it
    form->showMinimized();
    QTest::qWait(20);
    EXPECT_EQ(tray.adds, 1);
    EXPECT_EQ(tray.icons, 1);
    form->close();
    EXPECT_EQ(tray.icons, 0);
}

TEST_F(MainWindowTest, PortalOpensInTheBrowser) {
    Form1 form(services);
    QTest::mouseClick(Find<QPushButton>(&form, "Command6"), Qt::LeftButton);
    ASSERT_EQ(portal.opened.size(), 1u);
    EXPECT_EQ(portal.opened[0].scheme(), "https");
    EXPECT_EQ(portal.opened[0].path(), "/brelo/login/mng/main.han");
}

TEST_F(MainWindowTest, SilenceAfterARequestEndsInTheTimeOutMessage) {
    Form1 form(services);
    Find<QTimer>(&form, "timeMain")->setInterval(10); // the ten seconds, driven
    Find<QTimer>(&form, "timeMain")->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 2000));
    EXPECT_EQ(messages.shown[0].text, "연결할 수 없습니다");
    EXPECT_FALSE(Find<QTimer>(&form, "timeMain")->isActive());
    QTest::qWait(50);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(MainWindowTest, ClosingDuringAnApprovalSendsItsCancellationBeforeTheProgramEnds) {
    Program program(services);
    bool ended = false;
    QObject::connect(&program, &Program::Ended, [&] { ended = true; });
    program.ShowLogin();
    Form1* main = LogIn(program, "새싹아동발달센터");
    ASSERT_NE(main, nullptr);
    for (auto [box, text] : {std::pair{Find<QLineEdit>(main, "Card1"), "9410"},
                             {Find<QLineEdit>(main, "Card2"), "0000"},
                             {Find<QLineEdit>(main, "Card3"), "1234"},
                             {Find<QLineEdit>(main, "Card4"), "5678"}}) {
        box->setText(text);
    }
    peer->Answer("", ScriptedPeer::Delivery::Never);
    clock.Set({2026, 12, 7, 9, 31, 0}); // past the login's second
    QTest::mouseClick(Find<QPushButton>(main, "Command4"), Qt::LeftButton);
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[1].substr(4, 4), "0500");

    main->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 6000));
    ASSERT_TRUE(peer->WaitForRequests(3));
    EXPECT_EQ(peer->requests[2].substr(4, 4), "0600");
    EXPECT_EQ(peer->requests[2].substr(4 + 190, 1), "2");
}
