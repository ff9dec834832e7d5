#include "windows/LookupFixture.h"
#include "windows/common/Looks.h"
#include "windows/lookup/Form6.h"

using namespace dovra;

namespace {

class CardReaderTest : public LookupFixture<Form6> {
protected:
    CardReaderTest() : LookupFixture("000071052301", "Command1") {}

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
    const std::string expected = Expected("0301", '0', "9410000012345678");
    EXPECT_EQ(peer->requests[0], expected);
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
    EXPECT_EQ(peer->requests[0].substr(4 + 68, 16), "9410000012345678");
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

TEST_F(CardReaderTest, ApprovalListsTherapyAndAfterSchoolItemsWithOneRemainingLinePerRun) {
    CareBlock blankRemain = AfterSchool;
    blankRemain.remain = "";
    ASSERT_TRUE(Read(Answer("00", {Speech, Art, AfterSchool, {}, Speech, blankRemain}),
                     ScriptedPeer::Delivery::InPieces));
    EXPECT_EQ(Rows(Find<QListWidget>(main, "lstResult")->model()),
              QStringList({"카드정보조회가 정상처리 되었습니다.", "학생이름   : 김하늘    ",
                           "학교명     : 한빛초등학교" + QString(28, ' '), "치료지원 월잔여금액 : 150,000",
                           "방과후 월잔여금액 : 80,000", "치료지원 월잔여금액 : 150,000"}));
    EXPECT_EQ(Rows(Find<QComboBox>(main, "cmbCare1")->model()),
              QStringList({"언어치료", "미술치료", "음악줄넘기(방과후)", "언어치료", "음악줄넘기(방과후)"}));
    EXPECT_EQ(Find<QComboBox>(main, "cmbCare1")->currentIndex(), 0);
    EXPECT_EQ(Find<QLineEdit>(main, "txtTeacher1")->text() + Find<QLineEdit>(main, "txtCare_Amount1")->text(),
              "박선생    30,000");
    EXPECT_EQ(BackColour(Find<QComboBox>(main, "cmbCare1")), OpenColour());
    EXPECT_TRUE(Find<QComboBox>(main, "cmbCare1")->isEnabled() &&
                Find<QPushButton>(main, "Command3")->isEnabled());
}

TEST_F(CardReaderTest, RefusalShowsCodeAndMessageAndLeavesTheItemsAlone) {
    ASSERT_TRUE(Read(Answer("17", {Art}, "미등록카드번호입니다")));
    EXPECT_EQ(Rows(Find<QListWidget>(main, "lstResult")->model()),
              QStringList({"카드정보조회가 거절 되었습니다.", "응답코드   : 17",
                           "응답메세지 : 미등록카드번호입니다" + QString(12, ' ')}));
    EXPECT_FALSE(Find<QComboBox>(main, "cmbCare1")->isEnabled() ||
                 Find<QPushButton>(main, "Command3")->isEnabled());
    EXPECT_EQ(BackColour(Find<QComboBox>(main, "cmbCare1")), LightGreyColour());
}

TEST_F(CardReaderTest, BalanceModeShowsTheLinesButOffersNoItem) {
    QTest::mouseClick(Find<QPushButton>(window, "Command1"), Qt::LeftButton);
    ASSERT_TRUE(Closed());
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

// A blank or unknown block ahead of an item must not shift which block its entry pays for.
TEST_F(CardReaderTest, EntriesStayTiedToTheirOwnBlocks) {
    const CareBlock unknown{"04X", "", "010000", "기타", "T9", "정선생"};
    ASSERT_TRUE(Read(Answer("00", {{}, Art, unknown, AfterSchool})));
    auto* care = Find<QComboBox>(main, "cmbCare1");
    EXPECT_EQ(Rows(care->model()), QStringList({"미술치료", "음악줄넘기(방과후)"}));
    EXPECT_EQ(Find<QLineEdit>(main, "txtCare_Amount1")->text(), "45,000");
    care->setCurrentIndex(1);
    emit care->activated(1);
    EXPECT_EQ(Find<QLineEdit>(main, "txtTeacher1")->text(), "최선생    ");
    peer->Answer(Answer("99"));
    QTest::mouseClick(Find<QPushButton>(main, "Command4"), Qt::LeftButton);
    ASSERT_TRUE(peer->WaitForRequests(2));
    EXPECT_EQ(peer->requests[1].substr(4 + 200, 13), "03AT000000003");
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
