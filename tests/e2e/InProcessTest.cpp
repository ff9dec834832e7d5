// The whole program against the real reference server, in one process: the login, a card read into
// the card-reader window, an approval, its cancellation, a balance inquiry and a refused approval, each
// then looked up in the server's ledger.
#include "../server/ServerTestSupport.h"
#include "support/WindowFixture.h"
#include "windows/lookup/Form6.h"
#include "windows/receipt/Form5.h"

using namespace dovra;

namespace {

class InProcessTest : public WindowFixture {
protected:
    InProcessTest() : server(temp.path() / "ledger.db") {
        WriteIni("PellumInfo", "dovra_Port", std::to_string(server.Target().port), paths().DovraSetting());
    }

    // The card read as a reader types it; returns when the answer has closed the window.
    void ReadCard(const char* card) {
        QTest::mouseClick(Find<QPushButton>(main, "Command1"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([] { return Shown<Form6>() != nullptr; }, 5000));
        QPointer<Form6> reader = Shown<Form6>();
        QTest::keyClicks(Find<QLineEdit>(reader, "Text1"), QString(card) + "=2812");
        QTest::keyClick(Find<QLineEdit>(reader, "Text1"), Qt::Key_Return);
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.isNull(); }, 5000));
    }

    // Pays and answers the receipt question with "아니요"; returns the result lines.
    QStringList Pay() {
        clock.Set({2026, 12, 7, 9, 30, ++second});
        QTest::mouseClick(Find<QPushButton>(main, "Command4"), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return Find<QPushButton>(main, "Command4")->isEnabled() || Shown<Form5>(); }, 5000));
        if (Form5* receipt = Shown<Form5>()) {
            approvalNo = Find<QLineEdit>(receipt, "Text4")->text().toStdString();
            approvedOn = Find<QLineEdit>(receipt, "Text3")->text().left(8).toStdString();
            Click(receipt, "Command2");
        }
        QStringList lines;
        for (int i = 0; i < Find<QListWidget>(main, "lstResult")->count(); ++i) {
            lines << Find<QListWidget>(main, "lstResult")->item(i)->text();
        }
        return lines;
    }

    Ledger& LedgerNow() {
        reader = std::make_unique<Ledger>();
        reader->Open(temp.path() / "ledger.db");
        return *reader;
    }

    dovra::testing::ServerThread server;
    std::unique_ptr<Ledger> reader;
    QPointer<Form1> main;
    int second = 15;
    // Of the last receipt.
    std::string approvalNo, approvedOn;
};

} // namespace

TEST_F(InProcessTest, ApproveCancelAskAndBeRefusedWithTheLedgerAgreeing) {
    Program program(services);
    program.ShowLogin();
    main = LogInThrough(program);
    ASSERT_NE(main, nullptr);

    ReadCard(dovra::testing::Haneul);
    QStringList approved = Pay();
    ASSERT_EQ(approved.value(0), "승인요청이 정상처리 되었습니다");
    EXPECT_EQ(approved.value(6), "월잔여금액 : 180,000");
    std::string month = approvedOn.substr(0, 6);
    auto approval = LedgerNow().ApprovalByNumber(dovra::testing::DemoMerchant, approvalNo, approvedOn);
    ASSERT_TRUE(approval && approval->amount == 40000 && approval->careCode == "01S");

    QTest::mouseClick(Find<QRadioButton>(main, "Option2"), Qt::LeftButton);
    ReadCard(dovra::testing::Haneul);
    Find<QLineEdit>(main, "txtOrg_approval_no")->setText(QString::fromStdString(approvalNo));
    Find<QLineEdit>(main, "txtOrg_auth_date")->setText(QString::fromStdString(approvedOn));
    EXPECT_EQ(Pay().value(0), "취소요청이 정상처리 되었습니다");
    EXPECT_TRUE(LedgerNow().IsCancelled(approval->id));
    EXPECT_EQ(LedgerNow().BudgetOf(dovra::testing::Haneul, 'S', month).remaining, 220000);

    QTest::mouseClick(Find<QRadioButton>(main, "Option3"), Qt::LeftButton);
    ReadCard(dovra::testing::Haneul);
    QStringList balance = Pay();
    EXPECT_EQ(balance.value(0), "잔액조회가 정상처리 되었습니다");
    EXPECT_EQ(balance.value(4), "치료지원 월잔여금액 : 220,000");
    EXPECT_EQ(balance.value(6), "방과후 월잔여금액 :  100,000");

    QTest::mouseClick(Find<QRadioButton>(main, "Option1"), Qt::LeftButton);
    ReadCard(dovra::testing::Chorong);
    QStringList refused = Pay();
    EXPECT_EQ(refused.value(0), "승인요청이 거절 되었습니다.");
    EXPECT_EQ(refused.value(1), "응답코드   : 88");
    EXPECT_EQ(LedgerNow().BudgetOf(dovra::testing::Chorong, 'S', month).remaining, 10000);

    EXPECT_EQ(dovra::testing::LedgerProblems(LedgerNow()), std::vector<std::string>{});
    main->close();
}
