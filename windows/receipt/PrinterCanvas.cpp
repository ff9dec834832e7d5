#include "windows/receipt/PrinterCanvas.h"

#include "windows/common/Fonts.h"

#include <QFontMetricsF>
#include <QPrinterInfo>

namespace dovra {

namespace {
// A thin black line, as the receipt's frames are drawn.
constexpr double FrameWidthMm = 0.2;
} // namespace

std::unique_ptr<PrinterCanvas> PrinterCanvas::OnDefaultPrinter() {
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        throw ReceiptError("기본 프린터가 설정되어 있지 않습니다.");
    }
    return std::unique_ptr<PrinterCanvas>(
        new PrinterCanvas(std::make_unique<QPrinter>(info, QPrinter::HighResolution)));
}

std::unique_ptr<PrinterCanvas> PrinterCanvas::IntoPdf(const QString& file) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(file);
    return std::unique_ptr<PrinterCanvas>(new PrinterCanvas(std::move(printer)));
}

PrinterCanvas::PrinterCanvas(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {
    printer_->setPageOrientation(QPageLayout::Portrait);
    printer_->setCopyCount(1);
    printer_->setFullPage(false);
    if (!painter_.begin(printer_.get())) {
        throw ReceiptError("프린터에 인쇄를 시작할 수 없습니다.");
    }
    painter_.setPen(QPen(Qt::black, FrameWidthMm * DotsPerMm()));
}

double PrinterCanvas::DotsPerMm() const {
    return printer_->resolution() / 25.4;
}

void PrinterCanvas::SetFont(const QString& family, int points, bool bold) {
    LoadReceiptFont();
    QFont font(family, points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::TypeWriter);
    painter_.setFont(font);
}

double PrinterCanvas::TextWidth(const QString& text) {
    return QFontMetricsF(painter_.font(), printer_.get()).horizontalAdvance(text) / DotsPerMm();
}

void PrinterCanvas::DrawText(double x, double y, const QString& text) {
    QFontMetricsF metrics(painter_.font(), printer_.get());
    painter_.drawText(QPointF(x * DotsPerMm(), y * DotsPerMm() + metrics.ascent()), text);
}

void PrinterCanvas::DrawRectangle(double left, double top, double right, double bottom) {
    double k = DotsPerMm();
    painter_.drawRect(QRectF(left * k, top * k, (right - left) * k, (bottom - top) * k));
}

void PrinterCanvas::EndDocument() {
    if (!painter_.end()) {
        throw ReceiptError("인쇄를 마칠 수 없습니다.");
    }
}

void PrinterCanvas::Discard() noexcept {
    printer_->abort();
    if (painter_.isActive()) {
        painter_.end();
    }
}

} // namespace dovra
