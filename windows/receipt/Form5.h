#pragma once

#include "counter/Receipt.h"
#include "windows/common/Services.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace dovra {

// The receipt question after an approval or cancellation: "예" prints the customer and merchant copies
// of the receipt, "아니요" closes. The eight boxes below the visible face show the receipt's values.
class Form5 : public QWidget {
    Q_OBJECT
public:
    Form5(const Services& services, Receipt receipt, QWidget* parent = nullptr);

    QPushButton* Command1;
    QPushButton* Command2;
    QLabel* Label9;
    QLabel* Label4;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label7;
    QLabel* Label6;
    QLabel* Label5;
    QLabel* Label8;
    QLineEdit* Text1; // "카드 승인" or "카드 취소"
    QLineEdit* Text2; // card number
    QLineEdit* Text3; // approval date and time
    QLineEdit* Text4; // approval number
    QLineEdit* Text5; // amount
    QLineEdit* Text6; // remaining amount
    QLineEdit* Text7; // care item
    QLineEdit* Text8; // teacher

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
