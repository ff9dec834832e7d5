#include "support/WindowFixture.h"
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
        form.Card1->setText("9410");
        form.Teacher = {Utf8ToCp949("박선생"), "", Utf8ToCp949("최선생")};
        form.Care_Amount = {"030000", "", "040000"};
        form.AddCareEntry("언어치료", 1);
        form.AddCareEntry("음악줄넘기(방과후)", 3);
        form.cmbCare1->setEnabled(true);
        form.Command3->setEnabled(true);
    }
    void ChooseReason(int index) {
        form.Combo1->setCurrentIndex(index);
        emit form.Combo1->activated(index);
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
    QTest::mouseClick(form.Option2, Qt::LeftButton);
    EXPECT_TRUE(form.Card1->text().isEmpty() && form.cmbCare1->count() == 0);
    EXPECT_TRUE(Open(form.txtOrg_approval_no) && Open(form.txtOrg_auth_date));
    form.txtOrg_auth_date->setText("20240105");
    QTest::mouseClick(form.Option1, Qt::LeftButton);
    EXPECT_TRUE(form.txtOrg_auth_date->text().isEmpty());
    EXPECT_TRUE(Locked(form.txtOrg_approval_no) && Locked(form.txtOrg_auth_date));
    QTest::mouseClick(form.Option2, Qt::LeftButton);
    QTest::mouseClick(form.Option3, Qt::LeftButton);
    EXPECT_TRUE(Locked(form.txtOrg_approval_no) && Locked(form.txtOrg_auth_date));
}

TEST_F(PaymentEntryTest, ChoosingAnItemShowsItsOwnTeacherAndAmountOverATypedOne) {
    LookedUp();
    form.SelectCareEntry(0);
    QTest::keyClick(form.cmbCare1, Qt::Key_Down);
    EXPECT_EQ(form.SelectedCareItem(), 3);
    EXPECT_EQ(form.txtTeacher1->text() + " " + form.txtCare_Amount1->text(), "최선생 40,000");
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    form.txtCare_Amount1->setText("35000");
    emit form.cmbCare1->activated(1); // the same entry chosen again
    EXPECT_EQ(form.txtCare_Amount1->text(), "40,000");
}

TEST_F(PaymentEntryTest, AmountChangeOpensTheAmountAndTheReasonsOnce) {
    LookedUp();
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    ASSERT_EQ(form.Combo1->count(), 8);
    EXPECT_EQ(form.Combo1->itemText(1), "2 : 치료계획서 변경 치료단가 미반영(오기재)");
    EXPECT_EQ(form.Combo1->itemText(7), "8 : 기타");
    EXPECT_EQ(form.Combo1->currentIndex(), -1);
    EXPECT_EQ(BackColour(form.Combo1), OpenColour());
    EXPECT_TRUE(Open(form.txtCare_Amount1));
    ChooseReason(7);
    EXPECT_TRUE(Open(form.txtreson));
    form.txtreson->setText("보호자 요청");
    ChooseReason(2);
    EXPECT_TRUE(form.txtreson->text().isEmpty() && Locked(form.txtreson));
}

TEST_F(PaymentEntryTest, AmountTakesDigitsAndBackspaceOnly) {
    LookedUp();
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    QTest::keyClicks(form.txtCare_Amount1, "12,-");
    QTest::keyClick(form.txtCare_Amount1, Qt::Key_Backspace);
    QTest::keyClick(form.txtCare_Amount1, Qt::Key_Return);
    EXPECT_EQ(form.txtCare_Amount1->text(), "1");
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text + " " + messages.shown[2].title, "숫자만 입력하세요 수정");
}

TEST_F(PaymentEntryTest, CalendarOpensOnTodayAndWritesTheClickedDay) {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(form.Option2, Qt::LeftButton);
    form.txtOrg_auth_date->setFocus();
    ASSERT_TRUE(form.MonthView1->isVisible());
    EXPECT_EQ(form.MonthView1->selectedDate(), QDate(2026, 12, 7));

    // A real click on the 5th among the first weeks of January 2024.
    form.MonthView1->setCurrentPage(2024, 1);
    auto* grid = form.MonthView1->findChild<QTableView*>();
    ASSERT_NE(grid, nullptr);
    QModelIndex fifth;
    for (int cell = 0, columns = grid->model()->columnCount(); cell < 3 * columns; ++cell) {
        QModelIndex at = grid->model()->index(cell / columns, cell % columns);
        fifth = at.data().toString() == "5" ? at : fifth;
    }
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(fifth).center());
    EXPECT_EQ(form.txtOrg_auth_date->text(), "20240105");
    EXPECT_FALSE(form.MonthView1->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), form.Command4);

    // Moving on without a date closes it too, rather than leaving it over the form.
    form.txtOrg_auth_date->setFocus();
    ASSERT_TRUE(form.MonthView1->isVisible());
    form.txtOrg_approval_no->setFocus();
    EXPECT_FALSE(form.MonthView1->isVisible());
}
