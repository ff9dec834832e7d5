#include "windows/lookup/Form2.h"

#include "windows/common/Face.h"
#include "windows/common/Text.h"

namespace dovra {

namespace {
namespace Texts {
const QString Ok = QStringLiteral("확인");
const QString Cancel = QStringLiteral("취소");
} // namespace Texts
} // namespace

Form2::Form2(const Services& services, Entry::Kind kind, QWidget* main)
    : CardLookupWindow(services, LookupSource::ManualEntry, kind, main) {
    setObjectName("Form2");
    new Face(QStringLiteral("Form2"), this);

    // No digit filter and no jump to the next box: the merchant moves on with Tab or the mouse.
    auto box = [this](const char* name, int left, int height) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setMaxLength(4);
        edit->setFont(WindowFont());
        PlaceTwips(edit, left, 765, 900, height);
        return edit;
    };
    Card1 = box("Card1", 360, 405);
    Card2 = box("Card2", 1500, 390);
    Card3 = box("Card3", 2640, 390);
    Card4 = box("Card4", 3780, 390);

    btnOk = new QPushButton(Texts::Ok, this);
    btnOk->setObjectName("btnOk");
    PlaceTwips(btnOk, 1200, 1380, 1100, 465);
    btnClose = new QPushButton(Texts::Cancel, this);
    btnClose->setObjectName("btnClose");
    PlaceTwips(btnClose, 2760, 1380, 1100, 465);
    for (QPushButton* button : {btnOk, btnClose}) {
        button->setFont(WindowFont());
    }
    connect(btnOk, &QPushButton::clicked, this, Guarded(&Form2::btnOk_Click));
    connect(btnClose, &QPushButton::clicked, this, Guarded(&Form2::btnClose_Click));

    setTabOrder(Card1, Card2);
    setTabOrder(Card2, Card3);
    setTabOrder(Card3, Card4);
    setTabOrder(Card4, btnOk);
    setTabOrder(btnOk, btnClose);
    Card1->setFocus();
}

// As typed, untrimmed: blanks count towards the sixteen.
QString Form2::TypedCard() const {
    return Card1->text() + Card2->text() + Card3->text() + Card4->text();
}

void Form2::btnOk_Click() {
    Look(ToCp949(TypedCard()), {Card1->text(), Card2->text(), Card3->text(), Card4->text()});
}

// A card number cut short is checked before connecting; the merchant starts over from the main window.
void Form2::Refused(Refusal why) {
    if (why == Refusal::CardNumber) {
        close();
    }
}

void Form2::btnClose_Click() {
    close();
}

} // namespace dovra
