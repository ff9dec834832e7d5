#pragma once

#include "windows/common/Seams.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>

#include <memory>

namespace dovra {

// The receipt drawn with QPainter on the default printer, or into a PDF file.
class PrinterCanvas final : public ReceiptCanvas {
public:
    // Throws ReceiptError when there is no default printer or the document cannot be started.
    static std::unique_ptr<PrinterCanvas> OnDefaultPrinter();
    static std::unique_ptr<PrinterCanvas> IntoPdf(const QString& file);

    void SetFont(const QString& family, int points, bool bold) override;
    double TextWidth(const QString& text) override;
    void DrawText(double x, double y, const QString& text) override;
    void DrawRectangle(double left, double top, double right, double bottom) override;
    void EndDocument() override;
    void Discard() noexcept override;

private:
    explicit PrinterCanvas(std::unique_ptr<QPrinter> printer);
    double DotsPerMm() const;

    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
};

} // namespace dovra
