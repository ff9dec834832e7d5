#pragma once

#include "windows/common/Services.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace dovra {

// The receipt question after an approval or cancellation: "예" prints the customer and merchant copies
// of the transaction held in the eight boxes below the visible face, "아니요" closes.
class Form5 : public QWidget {
    Q_OBJECT
public:
    explicit Form5(const Services& services, QWidget* parent = nullptr);

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
    void BeginCustomerCopy(ReceiptCanvas& canvas);
    void BeginMerchantCopy(ReceiptCanvas& canvas);
    void PrintCustomerHeader(ReceiptCanvas& canvas);
    void PrintMerchantHeader(ReceiptCanvas& canvas);
    void PrintHeader(ReceiptCanvas& canvas, const QString& copyLine);
    void PrintTransactionBody(ReceiptCanvas& canvas);
    void PrintReceiptFooter(ReceiptCanvas& canvas);
    void PrintAligned(ReceiptCanvas& canvas, int y, const QString& text, int alignment);
    void NextLine();
    void NextWideLine();
    QString MerchantDetail(const char* key) const;

    const Services& services_;
    short ReceiptLineY = 0;
};

// The card number as the receipt shows it: digits 9 to 12 hidden, groups of four joined by "-".
QString MaskCardNumber(const QString& cardNumber);

} // namespace dovra
