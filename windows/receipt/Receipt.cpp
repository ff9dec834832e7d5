// The receipt drawn on the canvas from its laid-out marks; only the widths of the texts are the
// printer's to tell.
#include "windows/receipt/Form5.h"

#include "windows/common/Text.h"

namespace dovra {

namespace {
const QString PrintError = QStringLiteral("Print Error!");

void Draw(ReceiptCanvas& canvas, const ReceiptMark& mark) {
    if (mark.frame) {
        canvas.DrawRectangle(mark.left, mark.top, mark.right, mark.bottom);
        return;
    }
    QString text = ToQt(mark.text);
    double x = ReceiptLeftMargin;
    if (mark.align == Align::Right) {
        x = ReceiptRightMargin - canvas.TextWidth(text);
    } else if (mark.align == Align::Centred) {
        x = (ReceiptRightMargin - ReceiptLeftMargin - canvas.TextWidth(text)) / 2 + ReceiptLeftMargin;
    }
    canvas.DrawText(x, mark.top, text);
}
} // namespace

void Form5::PrintReceipt() {
    std::unique_ptr<ReceiptCanvas> canvas;
    try {
        canvas = services_.receiptCanvas();
        canvas->SetFont(QStringLiteral("D2Coding"), 9, true);
        for (const ReceiptMark& mark : LayOutReceipt(receipt_)) {
            Draw(*canvas, mark);
        }
        canvas->EndDocument();
    } catch (const std::exception& failure) {
        services_.programLog().Write(ProgramEvent::Print, failure.what());
        services_.messages.Show(this, QString::fromUtf8(failure.what()), PrintError, MessageIcon::Critical);
        if (canvas) {
            canvas->Discard();
        }
    }
}

} // namespace dovra
