// The two-copy receipt: every line at a fixed position in millimetres, so the page looks the same on
// every printer.
#include "foundations/AnsiText.h"
#include "foundations/Ini.h"
#include "foundations/NumberFormat.h"
#include "windows/common/Text.h"
#include "windows/receipt/Form5.h"

namespace dovra {

namespace {

namespace Texts {
const QString Title = QStringLiteral("특수교육지원 카드영수증");
const QString CustomerCopy = QStringLiteral("( 고 객 용 )");
const QString MerchantCopy = QStringLiteral("( 가맹점용 )");
const QString Separator = QString(66, QLatin1Char('-'));
const QString Notice = QStringLiteral("결제 취소시 영수증을 지참해 주시기 바랍니다.");
const QString Signature = QStringLiteral("[서 명]");
const QString PrintError = QStringLiteral("Print Error!");
} // namespace Texts

constexpr int Left = 0;
constexpr int Right = 1;
constexpr int Centred = 2;
constexpr double LeftEdge = 5;
constexpr double RightEdge = 70;

QString Formatted(const QLineEdit* box) {
    return ToQt(FormatThousands(ToCp949(box->text())));
}

} // namespace

QString MaskCardNumber(const QString& cardNumber) {
    std::string bytes = ToCp949(cardNumber);
    QString masked = ToQt(AnsiLeft(bytes, 8) + "****" + AnsiRight(bytes, 4));
    QString out;
    for (qsizetype i = 0; i < masked.size(); ++i) {
        out += masked[i];
        if ((i + 1) % 4 == 0 && i + 1 < masked.size()) {
            out += QLatin1Char('-');
        }
    }
    return out;
}

void Form5::PrintReceipt() {
    std::unique_ptr<ReceiptCanvas> canvas;
    try {
        canvas = services_.receiptCanvas();
        BeginCustomerCopy(*canvas);
        PrintCustomerHeader(*canvas);
        PrintTransactionBody(*canvas);
        PrintReceiptFooter(*canvas);
        BeginMerchantCopy(*canvas);
        PrintMerchantHeader(*canvas);
        PrintTransactionBody(*canvas);
        PrintReceiptFooter(*canvas);
        canvas->EndDocument();
    } catch (const std::exception& failure) {
        services_.messages.Show(this, QString::fromUtf8(failure.what()), Texts::PrintError,
                                MessageIcon::Critical);
        if (canvas) {
            canvas->Discard();
        }
    }
}

void Form5::BeginCustomerCopy(ReceiptCanvas& canvas) {
    ReceiptLineY = 5;
    canvas.SetFont(QStringLiteral("D2Coding"), 9, true);
    canvas.DrawRectangle(0, 0, 75, ReceiptLineY + 105);
}

void Form5::BeginMerchantCopy(ReceiptCanvas& canvas) {
    ReceiptLineY = 120;
    canvas.DrawRectangle(0, 120, 75, 225);
}

void Form5::PrintCustomerHeader(ReceiptCanvas& canvas) {
    PrintHeader(canvas, Texts::CustomerCopy);
}

void Form5::PrintMerchantHeader(ReceiptCanvas& canvas) {
    PrintHeader(canvas, Texts::MerchantCopy);
}

void Form5::PrintHeader(ReceiptCanvas& canvas, const QString& copyLine) {
    NextLine();
    PrintAligned(canvas, ReceiptLineY, Texts::Title, Centred);
    NextWideLine();
    PrintAligned(canvas, ReceiptLineY, copyLine, Centred);
    NextWideLine();
    PrintAligned(canvas, ReceiptLineY, Texts::Separator, Centred);
    const std::pair<QString, const char*> details[] = {{QStringLiteral("상호 : "), "Name"},
                                                       {QStringLiteral("가맹점번호 : "), "Number"},
                                                       {QStringLiteral("주소 : "), "Address"},
                                                       {QStringLiteral("TEL  : "), "Telephone"}};
    for (const auto& [label, key] : details) {
        NextLine();
        PrintAligned(canvas, ReceiptLineY, label + MerchantDetail(key), Left);
    }
    NextLine();
    PrintAligned(canvas, ReceiptLineY, Texts::Separator, Centred);
    NextLine();
}

void Form5::PrintTransactionBody(ReceiptCanvas& canvas) {
    PrintAligned(canvas, ReceiptLineY, QStringLiteral("[") + Text1->text() + QStringLiteral("]"), Left);
    NextLine();
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("카드번호 :"), MaskCardNumber(Text2->text())},
        {QStringLiteral("승인일시 :"), Text3->text()},
        {QStringLiteral("승인번호 :"), Text4->text()},
        {QStringLiteral("승인금액 :"), Formatted(Text5)},
        {QStringLiteral("잔여금액 :"), Formatted(Text6)},
        {QStringLiteral("치료영역 :"), Text7->text()},
        {QStringLiteral("치료강사 :"), Text8->text()},
    };
    for (const auto& [label, value] : rows) {
        PrintAligned(canvas, ReceiptLineY, label, Left);
        PrintAligned(canvas, ReceiptLineY, value, Right);
        NextLine();
    }
}

void Form5::PrintReceiptFooter(ReceiptCanvas& canvas) {
    PrintAligned(canvas, ReceiptLineY, Texts::Separator, Centred);
    NextLine();
    PrintAligned(canvas, ReceiptLineY, Texts::Notice, Centred);
    NextLine();
    PrintAligned(canvas, ReceiptLineY, Texts::Separator, Centred);
    NextLine();
    PrintAligned(canvas, ReceiptLineY, Texts::Signature, Left);
    NextLine();
}

void Form5::PrintAligned(ReceiptCanvas& canvas, int y, const QString& text, int alignment) {
    double x = LeftEdge;
    if (alignment == Right) {
        x = RightEdge - canvas.TextWidth(text);
    } else if (alignment != Left) {
        x = (RightEdge - LeftEdge - canvas.TextWidth(text)) / 2 + LeftEdge;
    }
    canvas.DrawText(x, y, text);
}

void Form5::NextLine() {
    ReceiptLineY += 3;
}

void Form5::NextWideLine() {
    ReceiptLineY += 6;
}

QString Form5::MerchantDetail(const char* key) const {
    return ToQt(ReadIni("ComInfo", key, services_.paths.DovraSetting()));
}

} // namespace dovra
