#include "windows/LookupFixture.h"
#include "windows/common/Looks.h"
#include "windows/lookup/Form2.h"

using namespace dovra;

namespace {

class ManualEntryTest : public LookupFixture<Form2> {
protected:
    ManualEntryTest() : LookupFixture("Command2") {}

    void Type(const QString& last = "4321") {
        QTest::keyClicks(Find<QLineEdit>(window, "Card1"), "9410");
        QTest::keyClicks(Find<QLineEdit>(window, "Card2"), "0000");
        QTest::keyClicks(Find<QLineEdit>(window, "Card3"), "8765");
        QTest::keyClicks(Find<QLineEdit>(window, "Card4"), last);
        QTest::mouseClick(Find<QPushButton>(window, "btnOk"), Qt::LeftButton);
    }
};

} // namespace

TEST_F(ManualEntryTest, SendsTheManualLookupAndOffersAllNineItemsAsReceived) {
    peer->Answer(Answer("00", {Speech, Art, AfterSchool}));
    Type();
    ASSERT_TRUE(Closed());
    // The manual lookup knows the merchant by the number in Pellum7.ini, not the one the login saved.
    Telegram expected = Lookup();
    std::tie(expected.issueCode, expected.trace, expected.merchant, expected.mode, expected.card) =
        std::tuple("KVRB", "093015887766", "000099887766", "2", "9410000087654321");
    EXPECT_EQ(peer->requests[0].substr(4), expected.Text());
    EXPECT_EQ(Find<QLineEdit>(main, "Card3")->text(), "8765");
    EXPECT_EQ(Find<QComboBox>(main, "cmbCare1")->count(), 9);
    EXPECT_EQ(Find<QLineEdit>(main, "txtCare_Amount1")->text(), "30,000");
    Find<QComboBox>(main, "cmbCare1")->setCurrentIndex(1);
    emit Find<QComboBox>(main, "cmbCare1")->activated(1);
    EXPECT_EQ(Find<QLineEdit>(main, "txtCare_Amount1")->text(), "45,000");
}

TEST_F(ManualEntryTest, AShortNumberClosesTheWindowUnsent) {
    Type("432");
    ASSERT_TRUE(Closed());
    EXPECT_EQ(messages.shown.at(0).text, "카드번호를 정확히 입력해주세요");
    QTest::qWait(50);
    EXPECT_EQ(peer->connections, 0);
}

TEST_F(ManualEntryTest, BalanceModeEmptiesTheListAndAmountOnly) {
    QTest::mouseClick(Find<QPushButton>(window, "btnClose"), Qt::LeftButton);
    ASSERT_TRUE(Closed());
    Find<QRadioButton>(main, "Option3")->setChecked(true);
    Reopen();
    peer->Answer(Answer("00", {Speech, Art}));
    Type();
    ASSERT_TRUE(Closed());
    EXPECT_EQ(Find<QComboBox>(main, "cmbCare1")->count(), 0);
    EXPECT_EQ(BackColour(Find<QComboBox>(main, "cmbCare1")), LightGreyColour());
    EXPECT_EQ(Find<QLineEdit>(main, "txtTeacher1")->text() + Find<QLineEdit>(main, "txtCare_Amount1")->text(),
              "박선생    ");
    EXPECT_TRUE(Find<QPushButton>(main, "Command3")->isEnabled());
}
