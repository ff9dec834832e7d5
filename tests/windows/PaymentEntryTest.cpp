#include "windows/LookupFixture.h"
#include "windows/common/Looks.h"
#include "windows/main/Form1.h"

#include <QTableView>
#include <QTest>

using namespace dovra;

namespace {

class PaymentEntryTest : public WindowFixture {
protected:
    // What a card lookup leaves behind: two entries, for care items 1 and 3.
    void LookedUp() {
        CareBlock afterSchool = AfterSchool;
        afterSchool.amount = "040000";
        LookUp(form, counter, {Speech, {}, afterSchool});
    }
    void ChooseReason(int index) {
        Find<QComboBox>(&form, "Combo1")->setCurrentIndex(index);
        emit Find<QComboBox>(&form, "Combo1")->activated(index);
    }

    Form1 form{services};
};

bool Open(const QLineEdit* box) {
    return box->isEnabled() && box->hasFrame() && BackColour(box) == OpenColour();
}
bool Locked(const QLineEdit* box) {
    return !box->isEnabled() && !box->hasFrame() && BackColour(box) == ButtonFaceColour();
}

} // namespace

TEST_F(PaymentEntryTest, ModeButtonsClearTheEntryAndSetTheCancellationBoxes) {
    LookedUp();
    QTest::mouseClick(Find<QRadioButton>(&form, "Option2"), Qt::LeftButton);
    EXPECT_TRUE(Find<QLineEdit>(&form, "Card1")->text().isEmpty() &&
                Find<QComboBox>(&form, "cmbCare1")->count() == 0);
    EXPECT_TRUE(Open(Find<QLineEdit>(&form, "txtOrg_approval_no")) &&
                Open(Find<QLineEdit>(&form, "txtOrg_auth_date")));
    Find<QLineEdit>(&form, "txtOrg_auth_date")->setText("20240105");
    QTest::mouseClick(Find<QRadioButton>(&form, "Option1"), Qt::LeftButton);
    EXPECT_TRUE(Find<QLineEdit>(&form, "txtOrg_auth_date")->text().isEmpty());
    EXPECT_TRUE(Locked(Find<QLineEdit>(&form, "txtOrg_approval_no")) &&
                Locked(Find<QLineEdit>(&form, "txtOrg_auth_date")));
    QTest::mouseClick(Find<QRadioButton>(&form, "Option2"), Qt::LeftButton);
    QTest::mouseClick(Find<QRadioButton>(&form, "Option3"), Qt::LeftButton);
    EXPECT_TRUE(Locked(Find<QLineEdit>(&form, "txtOrg_approval_no")) &&
                Locked(Find<QLineEdit>(&form, "txtOrg_auth_date")));
}

TEST_F(PaymentEntryTest, ChoosingAnItemShowsItsOwnTeacherAndAmountOverATypedOne) {
    LookedUp();
    QTest::keyClick(Find<QComboBox>(&form, "cmbCare1"), Qt::Key_Down);
    EXPECT_EQ(Find<QLineEdit>(&form, "txtTeacher1")->text() + " " +
                  Find<QLineEdit>(&form, "txtCare_Amount1")->text(),
              "최선생     40,000");
    QTest::mouseClick(Find<QPushButton>(&form, "Command3"), Qt::LeftButton);
    Find<QLineEdit>(&form, "txtCare_Amount1")->setText("35000");
    emit Find<QComboBox>(&form, "cmbCare1")->activated(1); // the same entry chosen again
    EXPECT_EQ(Find<QLineEdit>(&form, "txtCare_Amount1")->text(), "40,000");
}

TEST_F(PaymentEntryTest, AmountChangeOpensTheAmountAndTheReasonsOnce) {
    LookedUp();
    QTest::mouseClick(Find<QPushButton>(&form, "Command3"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(&form, "Command3"), Qt::LeftButton);
    ASSERT_EQ(Find<QComboBox>(&form, "Combo1")->count(), 8);
    EXPECT_EQ(Find<QComboBox>(&form, "Combo1")->itemText(1), "2 : 치료계획서 변경 치료단가 미반영(오기재)");
    EXPECT_EQ(Find<QComboBox>(&form, "Combo1")->itemText(7), "8 : 기타");
    EXPECT_EQ(Find<QComboBox>(&form, "Combo1")->currentIndex(), -1);
    EXPECT_EQ(BackColour(Find<QComboBox>(&form, "Combo1")), OpenColour());
    EXPECT_TRUE(Open(Find<QLineEdit>(&form, "txtCare_Amount1")));
    ChooseReason(7);
    EXPECT_TRUE(Open(Find<QLineEdit>(&form, "txtreson")));
    Find<QLineEdit>(&form, "txtreson")->setText("보호자 요청");
    ChooseReason(2);
    EXPECT_TRUE(Find<QLineEdit>(&form, "txtreson")->text().isEmpty() &&
                Locked(Find<QLineEdit>(&form, "txtreson")));
}

TEST_F(PaymentEntryTest, AmountTakesDigitsAndBackspaceOnly) {
    LookedUp();
    QTest::mouseClick(Find<QPushButton>(&form, "Command3"), Qt::LeftButton);
    Find<QLineEdit>(&form, "txtCare_Amount1")->clear();
    QTest::keyClicks(Find<QLineEdit>(&form, "txtCare_Amount1"), "12,-");
    QTest::keyClick(Find<QLineEdit>(&form, "txtCare_Amount1"), Qt::Key_Backspace);
    QTest::keyClick(Find<QLineEdit>(&form, "txtCare_Amount1"), Qt::Key_Return);
    EXPECT_EQ(Find<QLineEdit>(&form, "txtCare_Amount1")->text(), "1");
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text + " " + messages.shown[2].title, "숫자만 입력하세요 수정");
}

TEST_F(PaymentEntryTest, CalendarOpensOnTodayAndWritesTheClickedDay) {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(Find<QRadioButton>(&form, "Option2"), Qt::LeftButton);
    Find<QLineEdit>(&form, "txtOrg_auth_date")->setFocus();
    ASSERT_TRUE(Find<QCalendarWidget>(&form, "MonthView1")->isVisible());
    EXPECT_EQ(Find<QCalendarWidget>(&form, "MonthView1")->selectedDate(), QDate(2026, 12, 7));

    // A real click on the 5th among the first weeks of January 2024.
    Find<QCalendarWidget>(&form, "MonthView1")->setCurrentPage(2024, 1);
    auto* grid = Find<QCalendarWidget>(&form, "MonthView1")->findChild<QTableView*>();
    ASSERT_NE(grid, nullptr);
    QModelIndex fifth;
    for (int cell = 0, columns = grid->model()->columnCount(); cell < 3 * columns; ++cell) {
        QModelIndex at = grid->model()->index(cell / columns, cell % columns);
        fifth = at.data().toString() == "5" ? at : fifth;
    }
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(fifth).center());
    EXPECT_EQ(Find<QLineEdit>(&form, "txtOrg_auth_date")->text(), "20240105");
    EXPECT_FALSE(Find<QCalendarWidget>(&form, "MonthView1")->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Find<QPushButton>(&form, "Command4"));

    // Moving on without a date closes it too, rather than leaving it over the form.
    Find<QLineEdit>(&form, "txtOrg_auth_date")->setFocus();
    ASSERT_TRUE(Find<QCalendarWidget>(&form, "MonthView1")->isVisible());
    Find<QLineEdit>(&form, "txtOrg_approval_no")->setFocus();
    EXPECT_FALSE(Find<QCalendarWidget>(&form, "MonthView1")->isVisible());
}
