#pragma once

#include "windows/common/Guard.h"
#include "windows/lookup/CardLookup.h"

#include <QLineEdit>
#include <QPushButton>

class QKeyEvent;

namespace dovra {

// The card-reader window: the reader types the card's track into a box the merchant never sees, "="
// or Enter sends the "0200" lookup, and the answer goes to the main window before this window closes.
class Form6 : public CardLookupWindow {
    Q_OBJECT
public:
    Form6(const Services& services, Entry::Kind kind, QWidget* main);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Text1_KeyPress(const QKeyEvent& key);
    void Command1_Click();
    void Refused(Refusal why) override;
    template <class... Args> auto Guarded(void (Form6::*handler)(Args...)) {
        return GuardedSlot(services_, this, handler, &Form6::RecoverFromFault);
    }
    void RecoverFromFault() { Abandon(); }

    QLineEdit* Text1;
    QPushButton* Command1;
    bool misread_ = false;
};

} // namespace dovra
