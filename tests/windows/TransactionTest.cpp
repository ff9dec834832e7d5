#include "windows/LookupFixture.h"
#include "windows/main/Form1.h"
#include "windows/receipt/Form5.h"

#include <QApplication>
#include <QTest>

using namespace dovra;

namespace {

std::string Text(const std::string& utf8, int width) {
    return PadField(Utf8ToCp949(utf8), false, width);
}

// An answer of the 450-byte layout, written out field by field with the documented widths.
struct Answer {
    std::string msgType = "0500", code = "00", amount = "0000040000", approvalNo = "000012345678";
    std::string support = "000300000", used = "000040000", remain = "000260000", transTime = "093016";
    std::string message = "", reserved145 = "";

    std::string Telegram() const {
        return std::string(msgType) +
               "0301"
               "20261207"
               "093015"
               "093015052301" +
               code + Text("000071052301", 15) + "20261207" + transTime +
               "11"
               "0" +
               Text("9410000012345678", 37) + std::string(16, ' ') + amount + Text(approvalNo, 12) +
               std::string(8 + 12, ' ') + Text(support, 9) + Text(used, 9) + Text(remain, 9) +
               std::string(1 + 9, ' ') +
               "01S"
               "T000000001" +
               Text("이수진", 10) + Text("김하늘", 10) + Text("서울새싹초등학교", 40) + Text(message, 32) +
               Text(reserved145, 145);
    }
};

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

    std::vector<std::string> ResultLines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < Find<QListWidget>(main, "lstResult")->count(); ++i) {
            lines.push_back(Find<QListWidget>(main, "lstResult")->item(i)->text().toStdString());
        }
        return lines;
    }

    Form5* Receipt() const {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* receipt = qobject_cast<Form5*>(window); receipt && receipt->isVisible()) {
                return receipt;
            }
        }
        return nullptr;
    }

    // The request as the server must read it: the fields that differ between the cases are given.
    static std::string Request(const char* msgType, const std::string& amount, const std::string& orgDate,
                               const std::string& orgNo, const char* cancelType, const char* teacherCode,
                               const std::string& message) {
        std::string body = std::string(msgType) +
                           "0301"
                           "20261207"
                           "093015"
                           "093015052301"
                           "00" +
                           Text("000071052301", 15) +
                           "20261207"
                           "093015"
                           "11"
                           "0" +
                           Text("9410000012345678", 37) + std::string(16, ' ') + amount +
                           std::string(12, ' ') + Text(orgDate, 8) + Text(orgNo, 12) + std::string(27, ' ') +
                           cancelType + std::string(9, ' ') + "01S" + Text(teacherCode, 10) +
                           Text("이수진", 10) + std::string(50, ' ') +
                           PadField(Utf8ToCp949(message), false, 32) + std::string(145, ' ');
        return FramePlainRequest(body);
    }
    static std::string FramePlainRequest(const std::string& body) {
        int characters = 0;
        for (size_t i = 0; i < body.size(); ++i, ++characters) {
            if (static_cast<unsigned char>(body[i]) >= 0x81 && i + 1 < body.size()) {
                ++i;
            }
        }
        return "0" + std::to_string(characters) + body;
    }

    QPointer<Form1> main;
};

} // namespace

TEST_F(TransactionTest, EachKindIsSentByteForByte) {
    ChooseReason(0);
    peer->Answer(Answer{}.Telegram());
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    // The first reason is longer than its field and reaches the server cut to 32 bytes.
    EXPECT_EQ(peer->requests[0], Request("0500", "0000040000", "", "", "0", "T000000001",
                                         "1 : 월 잔액사용 후, 나머지 본인부담 결제"));
    EXPECT_TRUE(Find<QTimer>(main, "timeMain")->isActive() || Receipt() != nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Receipt() != nullptr; }, 5000));
    QTest::mouseClick(Receipt()->Command2, Qt::LeftButton);

    QTest::mouseClick(Find<QRadioButton>(main, "Option2"), Qt::LeftButton);
    LookedUp();
    Find<QLineEdit>(main, "txtOrg_approval_no")->setText("12345678");
    Find<QLineEdit>(main, "txtOrg_auth_date")->setText("20240105");
    peer->Answer(Answer{.msgType = "0600", .code = "23"}.Telegram());
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[1],
              Request("0600", "0000040000", "20240105", "12345678", "7", "T000000001", ""));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QPushButton>(main, "Command4")->isEnabled(); }, 5000));

    QTest::mouseClick(Find<QRadioButton>(main, "Option3"), Qt::LeftButton);
    LookedUp();
    peer->Answer(Answer{.msgType = "0700"}.Telegram());
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(3));
    EXPECT_EQ(peer->requests[2], Request("0700", "0000040000", "", "", "0", "T000000001", ""));
    EXPECT_NE(DayLog().find("[ Send 09:30:15 ] " + peer->requests[2]), std::string::npos);
}

TEST_F(TransactionTest, ChecksBeforeConnecting) {
    ChooseReason(7);
    Find<QLineEdit>(main, "txtreson")->setText(" ");
    Pay();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "치료금액 변경사유를 입력해주세요");
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());

    Find<QLineEdit>(main, "Card4")->setText("567");
    Find<QLineEdit>(main, "txtreson")->setText("  ");
    Pay();
    EXPECT_EQ(messages.shown.back().text, "카드번호를 정확히 입력해주세요");
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    QTest::qWait(30);
    EXPECT_EQ(peer->connections, 0);

    // Two spaces pass and are sent as nothing; without a selection no codes go.
    Find<QLineEdit>(main, "Card4")->setText("5678");
    Find<QComboBox>(main, "cmbCare1")->setCurrentIndex(-1);
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    std::string body = peer->requests[0].substr(4);
    EXPECT_EQ(body.substr(200, 13), std::string(13, ' ')); // CareCode and TeacherCode
    EXPECT_EQ(body.substr(273, 32), std::string(32, ' ')); // MessageText
}

TEST_F(TransactionTest, UnansweredApprovalIsCancelledOnTheSecondSocket) {
    Find<QTimer>(main, "timeMain")->setInterval(20);
    peer->Answer("", ScriptedPeer::Delivery::Never);
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(messages.shown.at(0).text, "연결할 수 없습니다");
    std::string cancellation = peer->requests[1].substr(4);
    EXPECT_EQ(cancellation.substr(0, 4), "0600");
    EXPECT_EQ(cancellation.substr(68, 16), "9410000012345678");
    EXPECT_EQ(cancellation.substr(121, 10), "0000040000");
    EXPECT_EQ(cancellation.substr(190, 1), "2");
    EXPECT_EQ(cancellation.substr(200, 13), "01S" + std::string(10, ' '));
    EXPECT_EQ(peer->connections, 2);
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return AutomaticCancellation(services).queue().journal().Entries().empty(); }, 2000));
}

TEST_F(TransactionTest, UnansweredBalanceInquiryOnlyTells) {
    Find<QTimer>(main, "timeMain")->setInterval(20);
    QTest::mouseClick(Find<QRadioButton>(main, "Option3"), Qt::LeftButton);
    LookedUp();
    peer->Answer("", ScriptedPeer::Delivery::Never);
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 2000));
    QTest::qWait(50);
    EXPECT_EQ(peer->requests.size(), 1u);
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
}

TEST_F(TransactionTest, ApprovedApprovalFillsTheReceiptAndThenGoesIdle) {
    peer->Answer(Answer{}.Telegram(), ScriptedPeer::Delivery::InPieces);
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Receipt() != nullptr; }, 5000));
    EXPECT_EQ(ResultLines(), (std::vector<std::string>{"승인요청이 정상처리 되었습니다",
                                                       "승인번호   : 000012345678", "학생이름   : 김하늘    ",
                                                       "학교명     : 서울새싹초등학교" + std::string(24, ' '),
                                                       "월지원금액 : 300,000", "월사용금액 : 40,000",
                                                       "월잔여금액 : 260,000"}));
    Form5* receipt = Receipt();
    EXPECT_EQ(receipt->Text1->text(), "카드 승인");
    EXPECT_EQ(receipt->Text2->text(), "9410000012345678");
    EXPECT_EQ(receipt->Text3->text(), "20261207  9:30:16");
    EXPECT_EQ(receipt->Text4->text(), "000012345678");
    EXPECT_EQ(receipt->Text5->text(), "40,000");
    EXPECT_EQ(receipt->Text6->text(), "260,000");
    EXPECT_EQ(receipt->Text7->text(), "언어치료");
    EXPECT_EQ(receipt->Text8->text(), "이수진");
    // The entry shows the transaction until the receipt question is answered.
    EXPECT_EQ(Find<QLineEdit>(main, "Card1")->text(), "9410");
    QTest::mouseClick(receipt->Command2, Qt::LeftButton);
    EXPECT_TRUE(Find<QLineEdit>(main, "Card1")->text().isEmpty());
    EXPECT_EQ(Find<QComboBox>(main, "cmbCare1")->count(), 0);
    EXPECT_FALSE(Find<QPushButton>(main, "Command3")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->count(), 7);
    EXPECT_TRUE(Find<QRadioButton>(main, "Option1")->isChecked());
}

TEST_F(TransactionTest, RefusalsUseTheLabelsOfTheirKind) {
    peer->Answer(Answer{.code = "85", .message = "1일 사용한도초과"}.Telegram());
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QListWidget>(main, "lstResult")->count() == 3; }, 5000));
    EXPECT_EQ(ResultLines(),
              (std::vector<std::string>{"승인요청이 거절 되었습니다.", "응답코드   : 85",
                                        "응답메세지 : 1일 사용한도초과" + std::string(16, ' ')}));
    EXPECT_EQ(Receipt(), nullptr);
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>(main, "Card1")->text().isEmpty());

    QTest::mouseClick(Find<QRadioButton>(main, "Option2"), Qt::LeftButton);
    LookedUp();
    peer->Answer(Answer{.msgType = "0600", .code = "22"}.Telegram());
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QListWidget>(main, "lstResult")->count() == 3; }, 5000));
    EXPECT_EQ(ResultLines()[0], "취소요청이 거절 되었습니다");
    EXPECT_EQ(ResultLines()[1], "거절코드   : 22");
}

TEST_F(TransactionTest, BalanceAnswerIsReadAsTheBalanceItAnswers) {
    QTest::mouseClick(Find<QRadioButton>(main, "Option3"), Qt::LeftButton);
    LookedUp();
    Answer balance{.msgType = "0700", .reserved145 = "S000100000000120000A000000000         "};
    peer->Answer(balance.Telegram(), ScriptedPeer::Delivery::InPieces);
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    // The merchant switches to approval before the answer: it still is a balance, with no receipt.
    Find<QRadioButton>(main, "Option1")->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QListWidget>(main, "lstResult")->count() == 7; }, 5000));
    EXPECT_EQ(ResultLines(),
              (std::vector<std::string>{"잔액조회가 정상처리 되었습니다", "학생이름   : 김하늘    ",
                                        "학교명     : 서울새싹초등학교" + std::string(24, ' '),
                                        "치료지원 월사용금액 : 100,000", "치료지원 월잔여금액 : 120,000",
                                        "방과후 월사용금액 :  0", "방과후 월잔여금액 :           "}));
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
        peer->Answer(Answer{}.Telegram(), delivery);
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

TEST_F(TransactionTest, OnlySpacesAreTrimmedFromWhatWasTypedOrAnswered) {
    ChooseReason(7);
    Find<QLineEdit>(main, "txtreson")->setText("\u3000"); // the blank a Korean input method types
    Find<QLineEdit>(main, "txtOrg_approval_no")->setText(" 1234\t ");
    peer->Answer(Answer{.approvalNo = " 12345678\t  "}.Telegram());
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    std::string body = peer->requests[0].substr(4);
    EXPECT_EQ(body.substr(151, 12), Text("1234\t", 12));
    EXPECT_EQ(body.substr(273, 32), Text("\u3000", 32));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Receipt() != nullptr; }, 5000));
    EXPECT_EQ(Receipt()->Text4->text(), "12345678\t");
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
    EXPECT_TRUE(AutomaticCancellation(services).queue().journal().Entries().empty());

    // The program goes on: the next payment is made as ever.
    clock.failing = false;
    LookedUp();
    peer->Answer(Answer{}.Telegram());
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Receipt() != nullptr; }, 5000));
    EXPECT_EQ(peer->requests.size(), 1u);
}

TEST_F(TransactionTest, ConnectionThatFailsBeforeSendingLeavesThePayButtonUsable) {
    quint16 closedPort = peer->port();
    peer.reset();
    WriteIni("PellumInfo", "dovra_Port", std::to_string(closedPort), paths().DovraSetting());
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 5000));
    EXPECT_EQ(messages.shown[0].text, "연결할 수 없습니다");
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    EXPECT_TRUE(AutomaticCancellation(services).queue().journal().Entries().empty());
}

TEST_F(TransactionTest, SameSecondGuardDoesNotLockThePayButton) {
    WriteIni("ComInfo", "Number", "", paths().DovraSetting());
    counter.LoginRequest("", ""); // a request in this very second
    Pay();
    EXPECT_TRUE(Find<QPushButton>(main, "Command4")->isEnabled());
    QTest::qWait(30);
    EXPECT_EQ(peer->connections, 0);
}

TEST_F(TransactionTest, ApprovalOpenWhenTheProgramEndsIsCancelledAtTheNextStart) {
    peer->Answer("", ScriptedPeer::Delivery::Never);
    Pay();
    ASSERT_TRUE(peer->WaitForRequests(1));
    // Nothing on the window may change what the request is about while it is out.
    for (QWidget* control : std::initializer_list<QWidget*>{
             Find<QPushButton>(main, "Command4"), Find<QPushButton>(main, "Command1"),
             Find<QPushButton>(main, "Command2"), Find<QRadioButton>(main, "Option2"),
             Find<QRadioButton>(main, "Option3"), Find<QPushButton>(main, "btnLogout")}) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
    // The program ends while waiting, without the window's own farewell.
    {
        AutomaticCancellation journalView(services);
        ASSERT_EQ(journalView.queue().journal().Entries().size(), 1u);
    }
    main->blockSignals(true);
    peer.reset(); // the server is gone too
    delete main.data();
    peer = std::make_unique<ScriptedPeer>(cipher);
    WriteIni("PellumInfo", "dovra_Port", std::to_string(peer->port()), paths().DovraSetting());

    AutomaticCancellation nextStart(services);
    nextStart.Start();
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(peer->requests[0].substr(4, 4), "0600");
    EXPECT_EQ(peer->requests[0].substr(4 + 190, 1), "2");
}

TEST_F(TransactionTest, ApprovedCancellationAndRefusedBalanceRows) {
    QTest::mouseClick(Find<QRadioButton>(main, "Option2"), Qt::LeftButton);
    LookedUp();
    peer->Answer(Answer{.msgType = "0600", .approvalNo = "000012345679"}.Telegram());
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Receipt() != nullptr; }, 5000));
    EXPECT_EQ(ResultLines().at(0), "취소요청이 정상처리 되었습니다");
    EXPECT_EQ(ResultLines().at(1), "승인번호   : 000012345679");
    EXPECT_EQ(ResultLines().size(), 7u);
    EXPECT_EQ(Receipt()->Text1->text(), "카드 취소");
    QTest::mouseClick(Receipt()->Command2, Qt::LeftButton);

    QTest::mouseClick(Find<QRadioButton>(main, "Option3"), Qt::LeftButton);
    LookedUp();
    peer->Answer(Answer{.msgType = "0700", .code = "17", .message = "미등록카드번호"}.Telegram());
    Pay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QListWidget>(main, "lstResult")->count() == 3; }, 5000));
    EXPECT_EQ(ResultLines()[0], "잔액조회가 거절 되었습니다");
    EXPECT_EQ(ResultLines()[1], "거절코드   : 17");
    EXPECT_EQ(ResultLines()[2], "거절메세지 : 미등록카드번호" + std::string(18, ' '));
}
