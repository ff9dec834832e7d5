#include "support/WindowFixture.h"
#include "windows/common/Looks.h"
#include "windows/lookup/Form2.h"
#include "windows/lookup/Form6.h"

using namespace dovra;

namespace {

// The main window with the card reader's window (Command1) or the manual entry's (Command2) opened.
class LookupTest : public WindowFixture {
protected:
    void SetUp() override {
        WriteIni("ComInfo", "Number", "000071052301", paths().DovraSetting());
        WriteIni("ComInfo", "Number", "000099887766", paths().Pellum7());
        main = new Form1(services);
        AttachChildWindows(*main, services);
        main->show();
    }
    void TearDown() override { delete main.data(); }
    void Open(const char* button) {
        Click(main, button);
        window = main->findChild<CardLookupWindow*>();
        ASSERT_TRUE(window && window->isModal());
    }
    bool Closed() {
        return QTest::qWaitFor([&] { return window.isNull(); }, 5000);
    }
    // As a reader types a card: the number, "=", the rest of the track, Enter.
    void Swipe(const QString& card = "9410000012345678=2512101", bool enter = true) {
        QTest::keyClicks(Find(window, "Text1"), card);
        if (enter) {
            QTest::keyClick(Find(window, "Text1"), Qt::Key_Return);
        }
    }
    void Type(const QString& last = "4321") {
        const QString digits[] = {"9410", "0000", "8765", last};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClicks(Find(window, ("Card" + std::to_string(i + 1)).c_str()), digits[i]);
        }
        Click(window, "btnOk");
    }
    // The peer's script takes the telegram after its length prefix.
    static std::string Answer(const char* code, std::vector<CareBlock> blocks = {}) {
        return CardAnswer(code, std::move(blocks)).substr(4);
    }
    QString Text(const char* box) const { return Find<QLineEdit>(main, box)->text(); }
    QComboBox* Care() const { return Find<QComboBox>(main, "cmbCare1"); }

    QPointer<Form1> main;
    QPointer<CardLookupWindow> window;
};

} // namespace

TEST_F(LookupTest, EqualsAndEnterEachSendTheFirstSixteenOncePerConnectionMade) {
    Open("Command1");
    Swipe("9410000012345678=", false);
    ASSERT_TRUE(peer->WaitForRequests(1));
    const std::string expected = peer->requests[0];
    EXPECT_EQ(expected.substr(4), Lookup().Text());
    EXPECT_NE(DayLog().find("[ Serc 09:30:15 ] " + expected), std::string::npos);
    EXPECT_EQ(Text("Card1") + Text("Card2") + Text("Card3") + Text("Card4"), "9410000012345678");

    peer->Answer(Answer("00", {Speech}));
    Swipe("2512101");
    ASSERT_TRUE(Closed());
    EXPECT_EQ(peer->requests, std::vector<std::string>({expected, expected}));
}

// A misread is told and sends nothing, and the next read stands on its own; broken off before or after
// sending, the entry stays as cleared.
TEST_F(LookupTest, AMisreadOrACancelSendsNothingMore) {
    Open("Command1");
    Swipe("941000001234567");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 5000));
    EXPECT_EQ(messages.shown[0].text, "카드번호를 정확히 입력해주세요");
    QTest::qWait(50);
    EXPECT_TRUE(peer->requests.empty() && Text("Card1").isEmpty() && window->isVisible());
    peer->Answer(Answer("00", {Speech}));
    Swipe("9410000012345678");
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(messages.shown.size(), 1u);
    ASSERT_TRUE(Closed());

    // The manual window closes unsent.
    const int connections = peer->connections;
    Open("Command2");
    Type("432");
    ASSERT_TRUE(Closed());
    EXPECT_EQ(messages.shown.at(1).text, "카드번호를 정확히 입력해주세요");
    QTest::qWait(50);
    EXPECT_EQ(peer->connections, connections);

    Open("Command1");
    Click(window, "Command1");
    ASSERT_TRUE(Closed());
    Open("Command1");
    peer->Answer(Answer("00", {Speech}), ScriptedPeer::Delivery::Never);
    Swipe("9410000087654321=", false);
    ASSERT_TRUE(peer->WaitForRequests(2));
    Click(window, "Command1");
    ASSERT_TRUE(Closed());
    EXPECT_EQ(Text("Card3"), "8765"); // written once the request went out
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->count(), 0);
}

// Each entry of the list pays for its own block, not for its row.
TEST_F(LookupTest, TheChosenEntryPaysForItsOwnBlock) {
    Open("Command1");
    peer->Answer(Answer("00", {{}, Art, {}, AfterSchool}), ScriptedPeer::Delivery::InPieces);
    Swipe();
    ASSERT_TRUE(Closed());
    EXPECT_EQ(Text("txtTeacher1") + Text("txtCare_Amount1"), "이선생    45,000");
    EXPECT_TRUE(Care()->isEnabled() && Find(main, "Command3")->isEnabled());
    Care()->setCurrentIndex(1);
    emit Care()->activated(1);
    EXPECT_EQ(Text("txtTeacher1"), "최선생    ");
    peer->Answer(Answer("99"));
    Click(main, "Command4");
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[1].substr(4 + 200, 13), "03AT000000003");
}

// A balance offers no item to pay for; the reader's answer leaves no teacher, the manual one keeps it.
TEST_F(LookupTest, RefusalAndBalanceModeWithdrawTheItems) {
    const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
        {"Option1", "Command1", "17", nullptr, false},
        {"Option3", "Command1", "00", "", false},
        {"Option3", "Command2", "00", "박선생    ", true}};
    for (const auto& [mode, button, code, teacher, amountChange] : cases) {
        SCOPED_TRACE(std::string(mode) + button + code);
        Find<QRadioButton>(main, mode)->setChecked(true);
        Open(button);
        peer->Answer(Answer(code, {Speech, Art}));
        std::string(button) == "Command1" ? Swipe() : Type();
        ASSERT_TRUE(Closed());
        EXPECT_EQ(BackColour(Care()), LightGreyColour());
        EXPECT_FALSE(Care()->isEnabled());
        EXPECT_EQ(Find(main, "Command3")->isEnabled(), amountChange);
        if (teacher != nullptr) {
            EXPECT_EQ(Care()->count(), 0);
            EXPECT_EQ(Text("txtTeacher1") + Text("txtCare_Amount1"), teacher);
        }
    }
    EXPECT_NE(peer->requests.back().find("9410000087654321"), std::string::npos);
}
