#include "windows/LookupFixture.h"
#include "windows/common/Looks.h"
#include "windows/lookup/Form6.h"

using namespace dovra;

namespace {

class CardReaderTest : public LookupFixture<Form6> {
protected:
    CardReaderTest() : LookupFixture("Command1") {}

    // As a reader types a card: the number, "=", the rest of the track, Enter.
    bool Read(const std::string& answer, ScriptedPeer::Delivery delivery = ScriptedPeer::Delivery::Whole) {
        peer->Answer(answer, delivery);
        QTest::keyClicks(Find<QLineEdit>(window, "Text1"), "9410000012345678=2512101");
        QTest::keyClick(Find<QLineEdit>(window, "Text1"), Qt::Key_Return);
        return Closed();
    }
};

} // namespace

TEST_F(CardReaderTest, EqualsAndEnterEachSendTheFirstSixteenOncePerConnectionMade) {
    QTest::keyClicks(Find<QLineEdit>(window, "Text1"), "9410000012345678=");
    ASSERT_TRUE(peer->WaitForRequests(1));
    const std::string expected = peer->requests[0];
    EXPECT_EQ(expected.substr(4), Lookup().Text());
    EXPECT_NE(DayLog().find("[ Serc 09:30:15 ] " + expected), std::string::npos);
    EXPECT_EQ(Find<QLineEdit>(main, "Card1")->text() + Find<QLineEdit>(main, "Card2")->text() +
                  Find<QLineEdit>(main, "Card3")->text() + Find<QLineEdit>(main, "Card4")->text(),
              "9410000012345678");

    peer->Answer(Answer("00", {Speech}));
    QTest::keyClicks(Find<QLineEdit>(window, "Text1"), "2512101");
    QTest::keyClick(Find<QLineEdit>(window, "Text1"), Qt::Key_Return);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(peer->requests, std::vector<std::string>({expected, expected}));
}

TEST_F(CardReaderTest, FifteenCharactersAreToldOnceConnectedAndNothingIsSent) {
    QTest::keyClicks(Find<QLineEdit>(window, "Text1"), "941000001234567");
    QTest::keyClick(Find<QLineEdit>(window, "Text1"), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 5000));
    EXPECT_EQ(messages.shown[0].text, "카드번호를 정확히 입력해주세요");
    QTest::qWait(50);
    EXPECT_TRUE(peer->requests.empty() && Find<QLineEdit>(main, "Card1")->text().isEmpty() &&
                window->isVisible());

    // The next read stands on its own, not behind the misread.
    peer->Answer(Answer("00", {Speech}));
    QTest::keyClicks(Find<QLineEdit>(window, "Text1"), "9410000012345678");
    QTest::keyClick(Find<QLineEdit>(window, "Text1"), Qt::Key_Return);
    ASSERT_TRUE(peer->WaitForRequests(1));
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(CardReaderTest, CancelBeforeAndAfterSendingLeavesTheEntryAsCleared) {
    QTest::mouseClick(Find<QPushButton>(window, "Command1"), Qt::LeftButton);
    ASSERT_TRUE(Closed());
    Reopen();
    peer->Answer(Answer("00", {Speech}), ScriptedPeer::Delivery::Never);
    QTest::keyClicks(Find<QLineEdit>(window, "Text1"), "9410000012345678=");
    ASSERT_TRUE(peer->WaitForRequests(1));
    QTest::mouseClick(Find<QPushButton>(window, "Command1"), Qt::LeftButton);
    ASSERT_TRUE(Closed());
    EXPECT_EQ(Find<QLineEdit>(main, "Card1")->text(), "9410"); // written once the request went out
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->count(), 0);
}

// The list offers the counter's choices; each entry pays for its own block, not for its row.
TEST_F(CardReaderTest, ApprovalOffersTheItemsOpenAndEachEntryPaysForItsOwnBlock) {
    ASSERT_TRUE(Read(Answer("00", {{}, Art, {}, AfterSchool}), ScriptedPeer::Delivery::InPieces));
    EXPECT_EQ(Rows(Find<QListWidget>(main, "lstResult")->model()).value(0),
              "카드정보조회가 정상처리 되었습니다.");
    auto* care = Find<QComboBox>(main, "cmbCare1");
    EXPECT_EQ(Rows(care->model()), QStringList({"미술치료", "음악줄넘기(방과후)"}));
    EXPECT_EQ(care->currentIndex(), 0);
    EXPECT_EQ(Find<QLineEdit>(main, "txtTeacher1")->text() + Find<QLineEdit>(main, "txtCare_Amount1")->text(),
              "이선생    45,000");
    EXPECT_EQ(BackColour(care), OpenColour());
    EXPECT_TRUE(care->isEnabled() && Find<QPushButton>(main, "Command3")->isEnabled());
    care->setCurrentIndex(1);
    emit care->activated(1);
    EXPECT_EQ(Find<QLineEdit>(main, "txtTeacher1")->text(), "최선생    ");
    peer->Answer(Answer("99"));
    QTest::mouseClick(Find<QPushButton>(main, "Command4"), Qt::LeftButton);
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[1].substr(4 + 200, 13), "03AT000000003");
}

TEST_F(CardReaderTest, RefusalLocksTheItemsAndBalanceModeWithdrawsThem) {
    ASSERT_TRUE(Read(Answer("17", {Art})));
    EXPECT_FALSE(Find<QComboBox>(main, "cmbCare1")->isEnabled() ||
                 Find<QPushButton>(main, "Command3")->isEnabled());
    EXPECT_EQ(BackColour(Find<QComboBox>(main, "cmbCare1")), LightGreyColour());

    Find<QRadioButton>(main, "Option3")->setChecked(true);
    Reopen();
    ASSERT_TRUE(Read(Answer("00", {Speech, Art})));
    EXPECT_EQ(Find<QListWidget>(main, "lstResult")->count(), 4);
    EXPECT_EQ(BackColour(Find<QComboBox>(main, "cmbCare1")), LightGreyColour());
    EXPECT_EQ(Find<QComboBox>(main, "cmbCare1")->count() +
                  Find<QLineEdit>(main, "txtTeacher1")->text().size() +
                  Find<QLineEdit>(main, "txtCare_Amount1")->text().size(),
              0);
    EXPECT_FALSE(Find<QComboBox>(main, "cmbCare1")->isEnabled() ||
                 Find<QPushButton>(main, "Command3")->isEnabled());
}

TEST_F(CardReaderTest, UnusableSettingsOrAFailedConnectionAreToldAndTheWindowStays) {
    WriteIni("PellumInfo", "dovra_Port", "15o24", paths().DovraSetting());
    QTest::keyClicks(Find<QLineEdit>(window, "Text1"), "9410000012345678=");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "서버 접속 설정을 확인해주세요");
    EXPECT_EQ(messages.shown[0].title, "도브라 승인 시스템");

    WriteIni("PellumInfo", "dovra_Port", std::to_string(peer->port()), paths().DovraSetting());
    peer.reset();
    QTest::keyClick(Find<QLineEdit>(window, "Text1"), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == 2; }, 5000));
    EXPECT_EQ(messages.shown[1].text, "연결할 수 없습니다");
    EXPECT_TRUE(window->isVisible());
}
