#pragma once

#include "counter/Receipt.h"
#include "windows/common/Services.h"

#include <QWidget>

namespace dovra {

// The receipt question after an approval or cancellation: "예" prints the customer and merchant copies
// of the receipt, "아니요" closes. The eight boxes below the visible face hold the receipt's values.
class Form5 : public QWidget {
    Q_OBJECT
public:
    Form5(const Services& services, Receipt receipt, QWidget* parent = nullptr);

    void PrintReceipt();

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const Services& services_;
    Receipt receipt_;
};

} // namespace dovra
