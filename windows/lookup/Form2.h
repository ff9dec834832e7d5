#pragma once

#include "windows/common/Guard.h"
#include "windows/lookup/CardLookup.h"

#include <QLineEdit>
#include <QPushButton>

namespace dovra {

// The manual entry window: the merchant types the 16 digits of a card the reader cannot read, "확인"
// looks the card up at the fixed lookup server, and the answer goes to the main window before this
// window closes.
class Form2 : public CardLookupWindow {
    Q_OBJECT
public:
    Form2(const Services& services, Entry::Kind kind, QWidget* main);

private:
    QString TypedCard() const;
    void btnOk_Click();
    void btnClose_Click();
    void Refused(Refusal why) override;
    template <class... Args> auto Guarded(void (Form2::*handler)(Args...)) {
        return GuardedSlot(services_, this, handler, &Form2::RecoverFromFault);
    }
    void RecoverFromFault() { Abandon(); }

    QLineEdit* Card1;
    QLineEdit* Card2;
    QLineEdit* Card3;
    QLineEdit* Card4;
    QPushButton* btnOk;
    QPushButton* btnClose;
};

} // namespace dovra
