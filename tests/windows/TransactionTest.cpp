#include "windows/LookupFixture.h"
#include "windows/main/Form1.h"
#include "windows/receipt/Form5.h"

#include <QApplication>
#include <QTest>

using namespace dovra;

namespace {

// The server's answer to the window's request for 40,000 on care item 01S.
std::string Answered(const char* msgType = "0500", const char* code = "00", const char* reserved145 = "") {
    Telegram t{.msgType = msgType, .code = code, .transTime = "093016", .amount = "0000040000"};
    std::tie(t.approvalNo, t.support, t.used, t.remain) =
        std::tuple(" 12345678\t  ", "000300000", "000040000", "000260000");
    std::tie(t.careCode, t.teacherCode, t.teacher, t.student, t.school, t.reserved145) =
        std::tuple("01S", "T000000001", "이수진", "김하늘", "서울새싹초등학교", reserved145);
    return t.Text();
}

class TransactionTest : public WindowFixture {
protected:
    void SetUp() override {
        WriteIni("ComInfo", "Number", "000071052301", paths().DovraSetting());
        main = new Form1(services);
        main->show();
        LookedUp();
    }
    void TearDown() override {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<Form5*>(window)) {
                delete window;
            }
        }
        delete main.data();
    }

    // The main window as a card lookup leaves it: one care item, selected.
    void LookedUp() {
        LookUp(*main, counter, {{"01S", "000150000", "040000", "언어치료", "T000000001", "이수진"}});
    }
    void ChooseReason(int index) {
        if (!Find<QComboBox>(main, "Combo1")->isEnabled()) {
            QTest::mouseClick(Find<QPushButton>(main, "Command3"), Qt::LeftButton);
        }
        Find<QComboBox>(main, "Combo1")->setCurrentIndex(index);
        emit Find<QComboBox>(main, "Combo1")->activated(index);
    }
    void Pay() { QTest::mouseClick(Find<QPushButton>(main, "Command4"), Qt::LeftButton); }
    void Choose(const char* mode) {
        QTest::mouseClick(Find<QRadioButton>(main, mode), Qt::LeftButton);
        LookedUp();
    }
    QString FirstLine() const {
        auto* list = Find<QListWidget>(main, "lstResult");
        return list->count() > 0 ? list->item(0)->text() : QString();
    }
    bool JournalEmpty() const { return AutomaticCancellation(services).queue().journal().Entries().empty(); }

    Form5* Receipt() const {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* receipt = qobject_cast<Form5*>(window); receipt && receipt->isVisible()) {
                return receipt;
            }
        }
        return nullptr;
    }
    bool ReceiptShown() const {
        return QTest::qWaitFor([&] { return Receipt() != nullptr; }, 5000);
    }

    QPointer<Form1> main;
};

} // namespace

// Every box goes in as typed: only the counter trims, and only spaces.
TEST_F(TransactionTest, TheEntryIsSentAsTyped) {
    ChooseReason(7);
    Find<QLineEdit>(main, "txtreson")->setText("\u3000"); // the blank a Korean input method types
    Find<QLineEdit>(main, "txtOrg_approval_no")->setText(" 1234\t ");
    Find<QLineEdit>(main, "txtOrg_auth_date")->setText("20240105");
    peer->Answer(Answered());
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    Telegram expected{.amount = "0000040000", .orgDate = "20240105", .orgNo = "1234\t", .careCode = "01S"};
    std::tie(expected.teacherCode, expected.teacher, expected.message) =
        std::tuple("T000000001", "이수진", "\u3000");
    EXPECT_EQ(peer->requests[0].substr(4), expected.Text());
    EXPECT_NE(DayLog().find("[ Send 09:30:15 ] " + peer->requests[0]), std::string::npos);
}

TEST_F(TransactionTest, ChecksBeforeConnectingLeaveThePayButtonUsable) {
    ChooseReason(7);
    Find<QLineEdit>(main, "txtreson")->setText(" ");
    Pay();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text + messages.shown[0].title,
              "치료금액 변경사유를 입력해주세요도브라 승인 시스템");
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    Find<QLineEdit>(main, "Card4")->setText("567");
    Pay();
    EXPECT_EQ(messages.shown.back().text, "카드번호를 정확히 입력해주세요");
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());

    // A request in this very second: the click is dropped without a word.
    Find<QLineEdit>(main, "Card4")->setText("5678");
    WriteIni("ComInfo", "Number", "", paths().DovraSetting());
    counter.LoginRequest("", "");
    Pay();
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    QTest::qWait(30);
    EXPECT_EQ(peer->connections, 0);

    // Without a selection no codes go.
    clock.Set({2026, 12, 7, 9, 30, 16});
    Find<QLineEdit>(main, "txtreson")->setText("x");
    Find<QComboBox>(main, "cmbCare1")->setCurrentIndex(-1);
    peer->Answer(Answered("0500", "85"));
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4 + 200, 13), std::string(13, ' '));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QPushButton>(main, "Command4")->isEnabled(); }, 5000));

    // A connection that fails before anything is sent.
    quint16 closedPort = peer->port();
    peer.reset();
    WriteIni("PellumInfo", "dovra_Port", std::to_string(closedPort), paths().DovraSetting());
    clock.Set({2026, 12, 7, 9, 30, 17});
    LookedUp();
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == 3; }, 5000));
    EXPECT_EQ(messages.shown[2].text, "연결할 수 없습니다");
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    EXPECT_TRUE(JournalEmpty());
}

TEST_F(TransactionTest, UnansweredApprovalIsCancelledOnTheSecondSocketAndABalanceInquiryOnlyTells) {
    Find<QTimer>(main, "timeMain")->setInterval(20);
    peer->Answer("", ScriptedPeer::Delivery::Never);
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(messages.shown.at(0).text, "연결할 수 없습니다");
    EXPECT_EQ(peer->requests[1].substr(4, 4) + peer->requests[1].substr(4 + 190, 1), "06002");
    EXPECT_EQ(peer->connections, 2);
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return JournalEmpty(); }, 2000));

    // An unanswered balance inquiry only tells.
    Choose("Option3");
    peer->Answer("", ScriptedPeer::Delivery::Never);
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == 2; }, 2000));
    QTest::qWait(50);
    EXPECT_EQ(peer->requests.size(), 3u);
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
}

TEST_F(TransactionTest, ApprovedApprovalFillsTheReceiptAndThenGoesIdle) {
    peer->Answer(Answered(), ScriptedPeer::Delivery::InPieces);
    Pay();
    ASSERT_TRUE(ReceiptShown());
    EXPECT_EQ(FirstLine(), "승인요청이 정상처리 되었습니다");
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->count(), 7);
    Form5* r = Receipt();
    EXPECT_EQ(QStringList({r->Text1->text(), r->Text2->text(), r->Text3->text(), r->Text4->text(),
                           r->Text5->text(), r->Text6->text(), r->Text7->text(), r->Text8->text()}),
              QStringList({"카드 승인", "9410000012345678", "20261207  9:30:16", "12345678\t", "40,000",
                           "260,000", "언어치료", "이수진"}));
    // The entry shows the transaction until the receipt question is answered.
    EXPECT_EQ(Find<QLineEdit>(main, "Card1")->text(), "9410");
    QTest::mouseClick(r->Command2, Qt::LeftButton);
    EXPECT_TRUE(Find<QLineEdit>(main, "Card1")->text().isEmpty());
    EXPECT_EQ(Find<QComboBox>(main, "cmbCare1")->count(), 0);
    EXPECT_FALSE(Find<QPushButton>(main, "Command3")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->count(), 7);
    EXPECT_TRUE(Find<QRadioButton>(main, "Option1")->isChecked());
}

TEST_F(TransactionTest, RefusedCancellationAndBalanceShowTheirLinesAndNoReceipt) {
    Choose("Option2");
    peer->Answer(Answered("0600", "22"));
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4, 4), "0600");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QListWidget>(main, "lstResult")->count() == 3; }, 5000));
    EXPECT_EQ(FirstLine(), "취소요청이 거절 되었습니다");
    EXPECT_EQ(Receipt(), nullptr);
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>(main, "Card1")->text().isEmpty());

    Choose("Option3");
    peer->Answer(Answered("0700", "00", "S000100000000120000A000000000         "),
                 ScriptedPeer::Delivery::InPieces);
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[1].substr(4, 4), "0700");
    // The merchant switches to approval before the answer: it still is a balance, with no receipt.
    Find<QRadioButton>(main, "Option1")->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QListWidget>(main, "lstResult")->count() == 7; }, 5000));
    EXPECT_EQ(FirstLine(), "잔액조회가 정상처리 되었습니다");
    EXPECT_EQ(Receipt(), nullptr);
}

TEST_F(TransactionTest, UnreadableAnswerEndsLikeNoAnswerAndIsLoggedBySize) {
    using Delivery = ScriptedPeer::Delivery;
    const std::tuple<Delivery, const char*, const char*> cases[] = {
        {Delivery::Garbage, "서버의 응답을 읽을 수 없습니다", "복호화 실패: 암호문 120바이트"},
        {Delivery::BadPrefix, "서버의 응답을 읽을 수 없습니다", "길이 오류: 수신 124바이트"},
        {Delivery::CutShort, "연결할 수 없습니다", "수신 중단: 100바이트 수신 후 연결 종료"}};
    size_t requests = 0;
    for (const auto& [delivery, message, logged] : cases) {
        peer->Answer(Answered(), delivery);
        Pay();
        requests += 2;
        ASSERT_TRUE(peer->WaitForRequests(requests)) << logged;
        EXPECT_EQ(peer->requests[requests - 1].substr(4, 4), "0600");
        EXPECT_EQ(messages.shown.back().text, message);
        EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
        EXPECT_NE(Cp949ToUtf8(DayLog()).find(std::string("[ Resp 09:30:15 ] ") + logged + "\r\n"),
                  std::string::npos)
            << logged;
    }
}

TEST_F(TransactionTest, AFaultInAHandlerIsToldAndLeavesNothingStuck) {
    // In the click: the same-second check reads the clock.
    clock.failing = true;
    Pay();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "처리 중 오류가 발생했습니다. 다시 시도해주세요\nclock unavailable");
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());

    // In the socket's connect event: the header reads it. Nothing leaves, nothing is journalled.
    clock.failing = false;
    LookedUp();
    Pay();
    clock.failing = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == 2; }, 5000));
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled() &&
                Find<QPushButton>(main, "btnLogout")->isEnabled());
    EXPECT_TRUE(JournalEmpty());

    // The program goes on: the next payment is made as ever.
    clock.failing = false;
    LookedUp();
    peer->Answer(Answered());
    Pay();
    ASSERT_TRUE(ReceiptShown());
    EXPECT_EQ(peer->requests.size(), 1u);
}

TEST_F(TransactionTest, ApprovalOpenWhenTheProgramEndsIsCancelledAtTheNextStart) {
    peer->Answer("", ScriptedPeer::Delivery::Never);
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    // Nothing on the window may change what the request is about while it is out.
    for (const char* name : {"Command4", "Command1", "Command2", "Option2", "Option3", "btnLogout"}) {
        EXPECT_FALSE(Find(main, name)->isEnabled()) << name;
    }
    // The program ends while waiting, without the window's own farewell, and the server with it.
    main->blockSignals(true);
    peer.reset();
    delete main.data();
    peer = std::make_unique<ScriptedPeer>(cipher);
    WriteIni("PellumInfo", "dovra_Port", std::to_string(peer->port()), paths().DovraSetting());

    AutomaticCancellation nextStart(services);
    nextStart.Start();
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4, 4) + peer->requests[0].substr(4 + 190, 1), "06002");
}
