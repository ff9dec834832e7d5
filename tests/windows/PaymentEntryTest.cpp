#include "windows/LookupFixture.h"
#include "windows/common/Looks.h"
#include "windows/main/Form1.h"

#include <QTableView>

using namespace dovra;

namespace {

// What a card lookup leaves behind: one entry, for care item 1.
class PaymentEntryTest : public WindowFixture {
protected:
    void SetUp() override { LookUp(form, counter, {Speech}); }
    void ChooseReason(int index) {
        Find<QComboBox>(&form, "Combo1")->setCurrentIndex(index);
        emit Find<QComboBox>(&form, "Combo1")->activated(index);
    }
    bool Open(const char* name) {
        auto* box = Find<QLineEdit>(&form, name);
        return box->isEnabled() && box->hasFrame() && BackColour(box) == OpenColour();
    }

    Form1 form{services};
};

} // namespace

TEST_F(PaymentEntryTest, AmountChangeOpensTheAmountAndTheReasonsOnceAndTakesDigitsOnly) {
    Click(&form, "Command3");
    Click(&form, "Command3");
    auto* reasons = Find<QComboBox>(&form, "Combo1");
    ASSERT_EQ(reasons->count(), 8);
    EXPECT_EQ(reasons->itemText(1) + "|" + reasons->itemText(7),
              "2 : 치료계획서 변경 치료단가 미반영(오기재)|8 : 기타");
    EXPECT_EQ(reasons->currentIndex(), -1);
    EXPECT_EQ(BackColour(reasons), OpenColour());
    EXPECT_TRUE(Open("txtCare_Amount1"));
    ChooseReason(7);
    EXPECT_TRUE(Open("txtreson"));
    Find<QLineEdit>(&form, "txtreson")->setText("보호자 요청");
    ChooseReason(2);
    EXPECT_TRUE(Find<QLineEdit>(&form, "txtreson")->text().isEmpty() && !Open("txtreson"));

    auto* amount = Find<QLineEdit>(&form, "txtCare_Amount1");
    amount->clear();
    QTest::keyClicks(amount, "12,-");
    QTest::keyClick(amount, Qt::Key_Backspace);
    QTest::keyClick(amount, Qt::Key_Return);
    EXPECT_EQ(amount->text(), "1");
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text + " " + messages.shown[2].title, "숫자만 입력하세요 수정");
}

TEST_F(PaymentEntryTest, CalendarWritesTheClickedDayAndHandsTheFocusOn) {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    Click(&form, "Option2");
    auto* calendar = Find<QCalendarWidget>(&form, "MonthView1");
    Find(&form, "txtOrg_auth_date")->setFocus();
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
    EXPECT_EQ(Find<QLineEdit>(&form, "txtOrg_auth_date")->text(), "20240105");
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Find(&form, "Command4"));
    // Moving on without a date closes it too, rather than leaving it over the form.
    Find(&form, "txtOrg_auth_date")->setFocus();
    ASSERT_TRUE(calendar->isVisible());
    Find(&form, "txtOrg_approval_no")->setFocus();
    EXPECT_FALSE(calendar->isVisible());
}
