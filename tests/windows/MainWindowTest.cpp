#include "app/Program.h"
#include "windows/LookupFixture.h"
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
    // Logs in through the real login window and returns the main window it opens.
    Form1* LogIn(const std::string& merchantName) {
        peer->Answer(LoginAnswer("00", merchantName));
        program->loginWindow()->Text1->setText("1208147521");
        program->loginWindow()->Text4->setText("2580");
        QTest::mouseClick(program->loginWindow()->btnLogin, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return program->mainWindow() != nullptr; }, 5000));
        return program->mainWindow();
    }
    void ShowLogin() {
        program = std::make_unique<Program>(services);
        QObject::connect(program.get(), &Program::Ended, [&] { ended = true; });
        program->ShowLogin();
    }

    std::unique_ptr<Program> program;
    bool ended = false;
};

} // namespace

TEST_F(MainWindowTest, LoginOpensTheMainWindowAndLogoutComesBackWithTheNameReadAnew) {
    ShowLogin();
    EXPECT_TRUE(program->loginWindow()->isModal());
    Form1* main = LogIn("새싹아동발달센터");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(Find<QLineEdit>(main, "Text1")->text().trimmed(), "새싹아동발달센터");
    ASSERT_EQ(Find<QListWidget>(main, "lstResult")->count(), 1);
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->item(0)->text(), "프로그램이 정상적으로 실행되었습니다");

    QTest::mouseClick(Find<QPushButton>(main, "btnLogout"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return program->mainWindow() == nullptr; }, 2000));
    ASSERT_NE(program->loginWindow(), nullptr);
    EXPECT_TRUE(program->loginWindow()->isVisible() && program->loginWindow()->isModal());
    EXPECT_FALSE(ended);

    Form1* second = LogIn("한빛발달센터");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Find<QLineEdit>(second, "Text1")->text().trimmed(), "한빛발달센터");
    second->close();
    EXPECT_TRUE(ended);
}

TEST_F(MainWindowTest, AnEarlierRunsCancellationWaitsForTheLogin) {
    // Sent before a login, it could meet a server that no longer knows this counter's address.
    ASSERT_TRUE(AutomaticCancellation(services).queue().journal().RecordApproval(Telegram{}.Text()));
    ShowLogin();
    QTest::qWait(100);
    EXPECT_TRUE(peer->requests.empty());
    ASSERT_NE(LogIn("새싹아동발달센터"), nullptr);
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[0].substr(4, 4) + peer->requests[1].substr(4, 4), "01000600");
}

TEST_F(MainWindowTest, ClosingDuringAnApprovalSendsItsCancellationBeforeTheProgramEnds) {
    ShowLogin();
    Form1* main = LogIn("새싹아동발달센터");
    ASSERT_NE(main, nullptr);
    for (auto [box, text] :
         {std::pair{"Card1", "9410"}, {"Card2", "0000"}, {"Card3", "1234"}, {"Card4", "5678"}}) {
        Find<QLineEdit>(main, box)->setText(text);
    }
    peer->Answer("", ScriptedPeer::Delivery::Never);
    clock.Set({2026, 12, 7, 9, 31, 0}); // past the login's second
    QTest::mouseClick(Find<QPushButton>(main, "Command4"), Qt::LeftButton);
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[1].substr(4, 4), "0500");

    main->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 6000));
    ASSERT_TRUE(peer->WaitForRequests(3));
    EXPECT_EQ(peer->requests[2].substr(4, 4) + peer->requests[2].substr(4 + 190, 1), "06002");
}

TEST_F(MainWindowTest, OpensLockedInApprovalModeAndLockedBoxesStayReadable) {
    Form1 form(services);
    EXPECT_EQ(form.size(), QSize(750, 700));
    EXPECT_TRUE(Find<QRadioButton>(&form, "Option1")->isChecked());
    for (const char* name : {"Card1", "Card4", "cmbCare1", "txtTeacher1", "txtCare_Amount1", "Combo1"}) {
        EXPECT_FALSE(Find(&form, name)->isEnabled()) << name;
        EXPECT_EQ(BackColour(Find(&form, name)), InactiveCaptionColour()) << name;
    }
    EXPECT_FALSE(Find(&form, "Command3")->isEnabled() || Find(&form, "txtOrg_auth_date")->isEnabled());
    EXPECT_EQ(BackColour(Find(&form, "txtOrg_approval_no")), ButtonFaceColour());
    EXPECT_TRUE(Find<QCalendarWidget>(&form, "MonthView1")->isHidden());
    EXPECT_FALSE(Find<QTimer>(&form, "timeMain")->isActive());
    EXPECT_EQ(Find<QTimer>(&form, "timeMain")->interval(), 10000);
    EXPECT_EQ(Find<QPushButton>(&form, "Command4")->geometry(), QRect(648, 492, 77, 31));
    // Black, navy, Wine's grey caption, Wine's button face, the classic caption, white, this system's own.
    for (QColor back : {QColor(0, 0, 0), QColor(10, 36, 106), QColor(128, 128, 128), QColor(212, 208, 200),
                        QColor(191, 205, 219), QColor(255, 255, 255), InactiveCaptionColour()}) {
        for (const char* name : {"Card1", "Combo1"}) {
            SetBackColour(Find(&form, name), back);
            for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
                EXPECT_GE(Contrast(Find(&form, name)->palette().color(QPalette::Disabled, role), back), 4.5)
                    << name << " on " << back.name().toStdString();
            }
        }
    }
}

TEST_F(MainWindowTest, ClearEntryEmptiesTheEntryButKeepsModeAndPayButton) {
    Form1 form(services);
    LookUp(form, counter, {Speech});
    Find<QLineEdit>(&form, "txtreson")->setText("x");
    Find<QLineEdit>(&form, "txtreson")->setEnabled(true);
    Find<QRadioButton>(&form, "Option2")->setChecked(true);
    QTest::mouseClick(Find<QPushButton>(&form, "Command1"), Qt::LeftButton);
    EXPECT_TRUE(Find<QLineEdit>(&form, "Card1")->text().isEmpty());
    EXPECT_EQ(Find<QComboBox>(&form, "cmbCare1")->count() + Find<QListWidget>(&form, "lstResult")->count(),
              0);
    EXPECT_FALSE(Find(&form, "cmbCare1")->isEnabled() || Find(&form, "txtreson")->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>(&form, "txtreson")->text().isEmpty());
    EXPECT_TRUE(Find<QRadioButton>(&form, "Option2")->isChecked());
    EXPECT_TRUE(Find<QPushButton>(&form, "Command4")->isEnabled());
}

TEST_F(MainWindowTest, TrayHoldsOneIconWhileTheWindowLivesAndThePortalOpensInTheBrowser) {
    auto* form = new Form1(services);
    form->show();
    form->showMinimized();
    QTest::qWait(20);
    EXPECT_EQ(tray.icons, 1);
    EXPECT_EQ(tray.lastTip, "도브라");
    ASSERT_TRUE(tray.doubleClick);
    tray.doubleClick();
    EXPECT_FALSE(form->isMinimized());
    form->showMinimized();
    QTest::qWait(20);
    EXPECT_EQ(tray.adds, 1);
    EXPECT_EQ(tray.icons, 1);

    QTest::mouseClick(Find<QPushButton>(form, "Command6"), Qt::LeftButton);
    ASSERT_EQ(portal.opened.size(), 1u);
    EXPECT_EQ(portal.opened[0].scheme() + portal.opened[0].path(), "https/brelo/login/mng/main.han");
    form->close();
    EXPECT_EQ(tray.icons, 0);
}

TEST_F(MainWindowTest, SilenceAfterARequestEndsInTheTimeOutMessage) {
    Form1 form(services);
    Find<QTimer>(&form, "timeMain")->setInterval(10); // the ten seconds, driven
    Find<QTimer>(&form, "timeMain")->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 2000));
    EXPECT_EQ(messages.shown[0].text + messages.shown[0].title, "연결할 수 없습니다도브라");
    EXPECT_FALSE(Find<QTimer>(&form, "timeMain")->isActive());
    QTest::qWait(50);
    EXPECT_EQ(messages.shown.size(), 1u);
}
