#include "support/WindowFixture.h"
#include "windows/common/Looks.h"

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
    void SetUp() override {
        program = std::make_unique<Program>(services);
        QObject::connect(program.get(), &Program::Ended, [&] { ended = true; });
    }
    Form1* LogIn(const std::string& merchantName) {
        peer->Answer(LoginAnswered("00", merchantName));
        return LogInThrough(*program);
    }

    std::unique_ptr<Program> program;
    bool ended = false;
};

} // namespace

// The main window holds one tray icon while it lives, minimised or not, and the portal opens in the browser.
TEST_F(MainWindowTest, LoginOpensTheMainWindowWithItsTrayIconAndLogoutComesBackWithTheNameReadAnew) {
    program->ShowLogin();
    EXPECT_TRUE(program->loginWindow()->isModal());
    Form1* main = LogIn("새싹아동발달센터");
    ASSERT_TRUE(main && main->isVisible());
    EXPECT_EQ(Find<QLineEdit>(main, "Text1")->text().trimmed(), "새싹아동발달센터");
    main->showMinimized();
    QTest::qWait(20);
    EXPECT_EQ(QString::number(tray.icons) + tray.lastTip, "1도브라");
    ASSERT_TRUE(tray.doubleClick);
    tray.doubleClick();
    EXPECT_FALSE(main->isMinimized());
    main->showMinimized();
    QTest::qWait(20);
    EXPECT_EQ(std::pair(tray.adds, tray.icons), std::pair(1, 1));
    Click(main, "Command6");
    ASSERT_EQ(portal.opened.size(), 1u);
    EXPECT_EQ(portal.opened[0].scheme() + portal.opened[0].path(), "https/brelo/login/mng/main.han");

    Click(main, "btnLogout");
    ASSERT_TRUE(QTest::qWaitFor([&] { return program->mainWindow() == nullptr; }, 2000));
    EXPECT_EQ(tray.icons, 0);
    ASSERT_NE(program->loginWindow(), nullptr);
    EXPECT_TRUE(program->loginWindow()->isVisible() && program->loginWindow()->isModal());
    EXPECT_FALSE(ended);

    Form1* second = LogIn("한빛발달센터");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Find<QLineEdit>(second, "Text1")->text().trimmed(), "한빛발달센터");
    second->close();
    EXPECT_TRUE(ended);
}

// An earlier run's cancellation waits for the login: before it, it could meet a server that no longer
// knows this counter's address. One open at the end is sent before the program ends.
TEST_F(MainWindowTest, CancellationsGoAfterTheLoginAndBeforeTheEnd) {
    ASSERT_TRUE(journal().RecordApproval(Telegram{}.Text()));
    program->ShowLogin();
    QTest::qWait(100);
    EXPECT_TRUE(peer->requests.empty());
    Form1* main = LogIn("새싹아동발달센터");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(peer->WaitForRequests(2));
    LookUp(*main, {Speech});
    peer->Answer("", ScriptedPeer::Delivery::Never);
    clock.Set({2026, 12, 7, 9, 31, 0}); // past the login's second
    Click(main, "Command4");
    ASSERT_TRUE(peer->WaitForRequests(3));

    main->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 6000));
    ASSERT_TRUE(peer->WaitForRequests(4));
    EXPECT_EQ(peer->KindOf(0) + peer->KindOf(1) + peer->KindOf(2) + peer->KindOf(3), "0100 060020500006002");
}

TEST_F(MainWindowTest, OpensLockedAndLockedBoxesStayReadableOnAnySystemColour) {
    Form1 form(services);
    EXPECT_TRUE(Find<QRadioButton>(&form, "Option1")->isChecked());
    for (const char* name : {"Card1", "cmbCare1", "txtTeacher1", "txtCare_Amount1", "Combo1"}) {
        EXPECT_FALSE(Find(&form, name)->isEnabled()) << name;
        EXPECT_EQ(BackColour(Find(&form, name)), InactiveCaptionColour()) << name;
    }
    // Black, navy, Wine's grey caption, Wine's button face, the classic caption, white.
    for (QColor back : {QColor(0, 0, 0), QColor(10, 36, 106), QColor(128, 128, 128), QColor(212, 208, 200),
                        QColor(191, 205, 219), QColor(255, 255, 255)}) {
        for (const char* name : {"Card1", "Combo1"}) {
            SetBackColour(Find(&form, name), back);
            for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
                EXPECT_GE(Contrast(Find(&form, name)->palette().color(QPalette::Disabled, role), back), 4.5)
                    << name << " on " << back.name().toStdString();
            }
        }
    }
}
