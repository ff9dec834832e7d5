#include "support/WindowFixture.h"
#include "windows/common/Looks.h"
#include "windows/receipt/Form5.h"

#include <QTableView>

using namespace dovra;

namespace {

// The server's answer to the window's request for 40,000 on care item 01S.
std::string Answered() {
    Telegram t{.msgType = "0500", .transTime = "093016", .amount = "0000040000", .approvalNo = "12345678"};
    std::tie(t.remain, t.careCode, t.teacherCode, t.teacher) =
        std::tuple("000260000", "01S", "T000000001", "이수진");
    return t.Text();
}

// The main window as a card lookup leaves it: one care item, selected.
class TransactionTest : public WindowFixture {
protected:
    void SetUp() override {
        WriteIni("ComInfo", "Number", "000071052301", paths().DovraSetting());
        main = new Form1(services);
        AttachChildWindows(*main, services);
        main->show();
        LookedUp();
    }
    void TearDown() override {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            delete qobject_cast<Form5*>(window);
        }
        delete main.data();
    }
    void LookedUp() { LookUp(*main, {{"01S", "000150000", "040000", "언어치료", "T000000001", "이수진"}}); }
    void Pay() { Click(main, "Command4"); }
    void ChooseReason(int index) {
        Find<QComboBox>(main, "Combo1")->setCurrentIndex(index);
        emit Find<QComboBox>(main, "Combo1")->activated(index);
    }
    bool Open(const char* name) {
        auto* box = Find<QLineEdit>(main, name);
        return box->isEnabled() && box->hasFrame() && BackColour(box) == OpenColour();
    }
    bool Ready() const { return Find(main, "Command4")->isEnabled(); }
    bool Told(size_t n) {
        return QTest::qWaitFor([&] { return messages.shown.size() == n; }, 5000);
    }
    bool JournalEmpty() { return journal().Entries().empty(); }
    static Form5* Receipt() { return Shown<Form5>(); }

    QPointer<Form1> main;
};

} // namespace

// Every box goes in as typed: only the counter trims, and only spaces. The entry shows the transaction
// until the receipt question is answered.
TEST_F(TransactionTest, TheEntryIsSentAsTypedAndTheApprovalEndsInTheReceipt) {
    Click(main, "Command3");
    ChooseReason(7);
    Find<QLineEdit>(main, "txtreson")->setText("\u3000"); // the blank a Korean input method types
    Find<QLineEdit>(main, "txtOrg_approval_no")->setText(" 1234\t ");
    Find<QLineEdit>(main, "txtOrg_auth_date")->setText("20240105");
    peer->Answer(Answered(), ScriptedPeer::Delivery::InPieces);
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Receipt() != nullptr; }, 5000));
    Telegram expected{.amount = "0000040000", .orgDate = "20240105", .orgNo = "1234\t", .careCode = "01S"};
    std::tie(expected.teacherCode, expected.teacher, expected.message) =
        std::tuple("T000000001", "이수진", "\u3000");
    EXPECT_EQ(peer->requests.at(0).substr(4), expected.Text());
    EXPECT_NE(DayLog().find("[ Send 09:30:15 ] " + peer->requests[0]), std::string::npos);
    EXPECT_EQ(Find<QLineEdit>(Receipt(), "Text2")->text() + " " + Find<QLineEdit>(Receipt(), "Text5")->text(),
              "9410000012345678 40,000");
    EXPECT_EQ(Find<QLineEdit>(main, "Card1")->text(), "9410");
    Click(Receipt(), "Command2");
    EXPECT_TRUE(Find<QLineEdit>(main, "Card1")->text().isEmpty() &&
                Find<QComboBox>(main, "cmbCare1")->count() == 0 && !Find(main, "Command3")->isEnabled() &&
                Ready());
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->count(), 7);
    EXPECT_TRUE(Find<QRadioButton>(main, "Option1")->isChecked());
}

// Nothing on the window may change what a request is about while it is out; an unanswered balance
// inquiry is only told.
TEST_F(TransactionTest, WhileARequestIsOutTheWindowIsLockedAndAnUnansweredBalanceInquiryIsOnlyTold) {
    Click(main, "Option3");
    LookedUp();
    peer->Answer("", ScriptedPeer::Delivery::Never);
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    for (const char* name : {"Command4", "Command1", "Command2", "Option2", "Option3", "btnLogout"}) {
        EXPECT_FALSE(Find(main, name)->isEnabled()) << name;
    }
    Find<QTimer>(main, "timeMain")->setInterval(20); // the ten seconds, driven
    ASSERT_TRUE(Told(1));
    EXPECT_EQ(messages.shown[0].text, "연결할 수 없습니다");
    QTest::qWait(50);
    EXPECT_EQ(peer->requests.size(), 1u);
    EXPECT_TRUE(Ready());
}

// No answer, one that cannot be read, or one cut short: the approval is cancelled on a second
// connection of its own, and what came is logged by its size.
TEST_F(TransactionTest, AnUnansweredOrUnreadableApprovalIsCancelled) {
    using Delivery = ScriptedPeer::Delivery;
    const std::tuple<std::string, Delivery, const char*, const char*> cases[] = {
        {"0120" + std::string(120, 'A'), Delivery::Raw, "서버의 응답을 읽을 수 없습니다",
         "복호화 실패: 암호문 120바이트"},
        {"x120" + std::string(120, 'A'), Delivery::Raw, "서버의 응답을 읽을 수 없습니다",
         "길이 오류: 수신 124바이트"},
        {Answered(), Delivery::CutShort, "연결할 수 없습니다", "수신 중단: 100바이트 수신 후 연결 종료"},
        {"", Delivery::Never, "연결할 수 없습니다", nullptr}};
    size_t requests = 0;
    for (const auto& [answer, delivery, message, logged] : cases) {
        SCOPED_TRACE(message);
        peer->Answer(answer, delivery);
        Pay();
        if (delivery == Delivery::Never) {
            ASSERT_TRUE(peer->WaitForRequests(requests + 1));
            Find<QTimer>(main, "timeMain")->setInterval(20); // the ten seconds, driven
        }
        requests += 2;
        ASSERT_TRUE(peer->WaitForRequests(requests));
        EXPECT_EQ(peer->KindOf(requests - 1), "06002");
        EXPECT_EQ(peer->connections, static_cast<int>(requests));
        ASSERT_TRUE(Told(requests / 2));
        EXPECT_EQ(messages.shown.back().text, message);
        EXPECT_TRUE(Ready());
        ASSERT_TRUE(QTest::qWaitFor([&] { return JournalEmpty(); }, 2000));
        EXPECT_TRUE(logged == nullptr || Cp949ToUtf8(DayLog()).find(std::string("[ Resp 09:30:15 ] ") +
                                                                    logged + "\r\n") != std::string::npos);
    }
}

// Refused before connecting, or a fault in a handler: told, and nothing is left stuck.
TEST_F(TransactionTest, ARefusalOrAFaultIsToldAndLeavesNothingStuck) {
    Find<QLineEdit>(main, "Card4")->setText("567");
    Pay();
    ASSERT_TRUE(Told(1));
    EXPECT_EQ(messages.shown[0].text, "카드번호를 정확히 입력해주세요");
    EXPECT_TRUE(Ready());

    // In the click: the same-second check reads the clock.
    LookedUp();
    clock.failing = true;
    Pay();
    EXPECT_EQ(messages.shown.at(1).text, "처리 중 오류가 발생했습니다. 다시 시도해주세요\nclock unavailable");
    EXPECT_TRUE(Ready());

    // In the socket's connect event: the header reads it. Nothing leaves, nothing is journalled.
    clock.failing = false;
    LookedUp();
    Pay();
    clock.failing = true;
    ASSERT_TRUE(Told(3));
    EXPECT_TRUE(Ready() && Find(main, "btnLogout")->isEnabled());
    EXPECT_TRUE(JournalEmpty());

    // The program goes on: the next payment is made as ever.
    clock.failing = false;
    LookedUp();
    peer->Answer(Answered());
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Receipt() != nullptr; }, 5000));
    EXPECT_EQ(peer->requests.size(), 1u);
    // Both faults reach the support desk, each named where it happened; the refusal was no fault.
    EXPECT_EQ(ProgramLogText(), "2026-12-07 09:30:15 FAULT   Form1: clock unavailable\r\n"
                                "2026-12-07 09:30:15 FAULT   sckMain: clock unavailable\r\n");
}

TEST_F(TransactionTest, AmountChangeOpensTheAmountAndTheReasonsOnceAndTakesDigitsOnly) {
    Click(main, "Command3");
    Click(main, "Command3");
    auto* reasons = Find<QComboBox>(main, "Combo1");
    ASSERT_EQ(reasons->count(), 8);
    EXPECT_EQ(reasons->itemText(1) + "|" + reasons->itemText(7),
              "2 : 치료계획서 변경 치료단가 미반영(오기재)|8 : 기타");
    EXPECT_EQ(reasons->currentIndex(), -1);
    EXPECT_EQ(BackColour(reasons), OpenColour());
    EXPECT_TRUE(Open("txtCare_Amount1"));
    ChooseReason(7);
    EXPECT_TRUE(Open("txtreson"));
    Find<QLineEdit>(main, "txtreson")->setText("보호자 요청");
    ChooseReason(2);
    EXPECT_TRUE(Find<QLineEdit>(main, "txtreson")->text().isEmpty() && !Open("txtreson"));

    auto* amount = Find<QLineEdit>(main, "txtCare_Amount1");
    amount->clear();
    QTest::keyClicks(amount, "12,-");
    QTest::keyClick(amount, Qt::Key_Backspace);
    QTest::keyClick(amount, Qt::Key_Return);
    EXPECT_EQ(amount->text(), "1");
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text + " " + messages.shown[2].title, "숫자만 입력하세요 수정");
}

TEST_F(TransactionTest, CalendarWritesTheClickedDayAndHandsTheFocusOn) {
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    Click(main, "Option2");
    auto* calendar = Find<QCalendarWidget>(main, "MonthView1");
    Find(main, "txtOrg_auth_date")->setFocus();
    ASSERT_TRUE(calendar->isVisible());
    // A real click on the 5th in the first week of January 2024.
    calendar->setCurrentPage(2024, 1);
    auto* grid = calendar->findChild<QTableView*>();
    QModelIndex fifth;
    for (int cell = 0, columns = grid->model()->columnCount(); cell < 3 * columns; ++cell) {
        QModelIndex at = grid->model()->index(cell / columns, cell % columns);
        fifth = at.data().toString() == "5" ? at : fifth;
    }
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(fifth).center());
    EXPECT_EQ(Find<QLineEdit>(main, "txtOrg_auth_date")->text(), "20240105");
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Find(main, "Command4"));
    // Moving on without a date closes it too, rather than leaving it over the form.
    Find(main, "txtOrg_auth_date")->setFocus();
    ASSERT_TRUE(calendar->isVisible());
    Find(main, "txtOrg_approval_no")->setFocus();
    EXPECT_FALSE(calendar->isVisible());
}

// With the mode changed while the answer is on its way, the answer is read as what was sent.
TEST_F(TransactionTest, TheAnswerIsReadAsSentWhateverTheModeShowsByThen) {
    Click(main, "Option3");
    LookedUp();
    Telegram balance{.msgType = "0700"};
    balance.reserved145 = "S000100000000120000A000000000";
    peer->Answer(balance.Text(), ScriptedPeer::Delivery::InPieces);
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    Find<QRadioButton>(main, "Option1")->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Ready(); }, 5000));
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->item(0)->text(), "잔액조회가 정상처리 되었습니다");
    EXPECT_EQ(Receipt(), nullptr);
}

// The entry is taken once, at the click: a box changed before the connection is made changes nothing.
TEST_F(TransactionTest, WhatWasCheckedAtTheClickIsWhatIsSent) {
    peer->Answer(Answered());
    Pay();
    Find<QLineEdit>(main, "txtCare_Amount1")->setText("999,999");
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4 + 121, 10), "0000040000");
}
