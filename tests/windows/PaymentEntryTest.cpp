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
    void SetUp() override {
        CareBlock afterSchool = AfterSchool;
        afterSchool.amount = "040000";
        LookUp(form, counter, {Speech, {}, afterSchool});
    }
    void ChooseReason(int index) {
        Find<QComboBox>(&form, "Combo1")->setCurrentIndex(index);
        emit Find<QComboBox>(&form, "Combo1")->activated(index);
    }
    bool Open(const char* name) {
        auto* box = Find<QLineEdit>(&form, name);
        return box->isEnabled() && box->hasFrame() && BackColour(box) == OpenColour();
    }
    bool Locked(const char* name) {
        auto* box = Find<QLineEdit>(&form, name);
        return !box->isEnabled() && !box->hasFrame() && BackColour(box) == ButtonFaceColour();
    }
    void Click(const char* name) { QTest::mouseClick(Find(&form, name), Qt::LeftButton); }

    Form1 form{services};
};

} // namespace

TEST_F(PaymentEntryTest, ModeButtonsClearTheEntryAndSetTheCancellationBoxes) {
    Click("Option2");
    EXPECT_TRUE(Find<QLineEdit>(&form, "Card1")->text().isEmpty() &&
                Find<QComboBox>(&form, "cmbCare1")->count() == 0);
    EXPECT_TRUE(Open("txtOrg_approval_no") && Open("txtOrg_auth_date"));
    Find<QLineEdit>(&form, "txtOrg_auth_date")->setText("20240105");
    Click("Option1");
    EXPECT_TRUE(Find<QLineEdit>(&form, "txtOrg_auth_date")->text().isEmpty());
    EXPECT_TRUE(Locked("txtOrg_approval_no") && Locked("txtOrg_auth_date"));
    Click("Option2");
    Click("Option3");
    EXPECT_TRUE(Locked("txtOrg_approval_no") && Locked("txtOrg_auth_date"));
}

TEST_F(PaymentEntryTest, ChoosingAnItemShowsItsOwnTeacherAndAmountOverATypedOne) {
    QTest::keyClick(Find<QComboBox>(&form, "cmbCare1"), Qt::Key_Down);
    EXPECT_EQ(Find<QLineEdit>(&form, "txtTeacher1")->text() + " " +
                  Find<QLineEdit>(&form, "txtCare_Amount1")->text(),
              "최선생     40,000");
    Click("Command3");
    Find<QLineEdit>(&form, "txtCare_Amount1")->setText("35000");
    emit Find<QComboBox>(&form, "cmbCare1")->activated(1); // the same entry chosen again
    EXPECT_EQ(Find<QLineEdit>(&form, "txtCare_Amount1")->text(), "40,000");
}

TEST_F(PaymentEntryTest, AmountChangeOpensTheAmountAndTheReasonsOnceAndTakesDigitsOnly) {
    Click("Command3");
    Click("Command3");
    ASSERT_EQ(Find<QComboBox>(&form, "Combo1")->count(), 8);
    EXPECT_EQ(Find<QComboBox>(&form, "Combo1")->itemText(1) + "|" +
                  Find<QComboBox>(&form, "Combo1")->itemText(7),
              "2 : 치료계획서 변경 치료단가 미반영(오기재)|8 : 기타");
    EXPECT_EQ(Find<QComboBox>(&form, "Combo1")->currentIndex(), -1);
    EXPECT_EQ(BackColour(Find<QComboBox>(&form, "Combo1")), OpenColour());
    EXPECT_TRUE(Open("txtCare_Amount1"));
    ChooseReason(7);
    EXPECT_TRUE(Open("txtreson"));
    Find<QLineEdit>(&form, "txtreson")->setText("보호자 요청");
    ChooseReason(2);
    EXPECT_TRUE(Find<QLineEdit>(&form, "txtreson")->text().isEmpty() && Locked("txtreson"));

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
    Click("Option2");
    auto* calendar = Find<QCalendarWidget>(&form, "MonthView1");
    Find(&form, "txtOrg_auth_date")->setFocus();
    ASSERT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->selectedDate(), QDate(2026, 12, 7));

    // A real click on the 5th among the first weeks of January 2024.
    calendar->setCurrentPage(2024, 1);
    auto* grid = calendar->findChild<QTableView*>();
    ASSERT_NE(grid, nullptr);
    QModelIndex fifth;
    for (int cell = 0, columns = grid->model()->columnCount(); cell < 3 * columns; ++cell) {
        QModelIndex at = grid->model()->index(cell / columns, cell % columns);
        fifth = at.data().toString() == "5" ? at : fifth;
    }
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(fifth).center());
    EXPECT_EQ(Find<QLineEdit>(&form, "txtOrg_auth_date")->text(), "20240105");
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Find<QPushButton>(&form, "Command4"));

    // Moving on without a date closes it too, rather than leaving it over the form.
    Find(&form, "txtOrg_auth_date")->setFocus();
    ASSERT_TRUE(calendar->isVisible());
    Find(&form, "txtOrg_approval_no")->setFocus();
    EXPECT_FALSE(calendar->isVisible());
}
