#include "support/WindowFixture.h"
#include "windows/receipt/Form5.h"
#include "windows/receipt/PrinterCanvas.h"

#include <QProcess>

using namespace dovra;

namespace {

// The receipt's page, with the merchant's details not yet known.
class ReceiptTest : public WindowFixture {
protected:
    void SetUp() override {
        services.receiptCanvas = [this] { return std::make_unique<RecordingCanvas>(page); };
        form = new Form5(services, {Utf8ToCp949("카드 승인"), "9410000012345678", "20261207  9:30:15",
                                    "000012345678", "40,000", "180,000", Utf8ToCp949("언어치료"),
                                    Utf8ToCp949("이수진"), MerchantDetails{}});
        QObject::connect(form, &Form5::Closed, [this] { closed = true; });
        form->show();
    }
    void TearDown() override { delete form.data(); }
    void Print() { Click(form, "Command1"); }

    DrawnPage page;
    QPointer<Form5> form;
    bool closed = false;
};

} // namespace

// Where each mark stands on the page is the layout's; the window places it by its alignment.
TEST_F(ReceiptTest, DrawsAsLaidOutAndCloses) {
    Print();
    ASSERT_TRUE(page.ended && !page.discarded && closed);
    EXPECT_EQ(page.font, "D2Coding 9 bold");
    ASSERT_EQ(page.texts.size(), 54u);
    auto at = [&](size_t i) {
        const DrawnText& t = page.texts[i];
        return QStringLiteral("%1,%2 %3").arg(t.x, 0, 'f', 1).arg(t.y, 0, 'f', 0).arg(t.text);
    };
    // Centred in the 65 mm between the margins, left at 5 mm, right ending at 70 mm (1.6 mm a byte).
    EXPECT_EQ(at(27) + "|" + at(36) + "|" + at(37),
              "19.1,123 특수교육지원 카드영수증|5.0,156 카드번호 :|39.6,156 9410-0000-****-5678");
}

// A paper jam halfway discards what was drawn; a missing printer is told as critical. Either way the
// window closes.
TEST_F(ReceiptTest, APrinterFailureIsToldAndTheDocumentDiscarded) {
    struct JammingCanvas final : RecordingCanvas {
        using RecordingCanvas::RecordingCanvas;
        void DrawRectangle(double, double top, double, double) override {
            if (top > 0) {
                throw ReceiptError("용지가 걸렸습니다.");
            }
        }
    };
    services.receiptCanvas = [this] { return std::make_unique<JammingCanvas>(page); };
    form->PrintReceipt();
    EXPECT_TRUE(page.discarded && !page.ended);
    services.receiptCanvas = []() -> std::unique_ptr<ReceiptCanvas> {
        throw ReceiptError("기본 프린터가 설정되어 있지 않습니다.");
    };
    Print();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "용지가 걸렸습니다.");
    EXPECT_EQ(messages.shown[1].title + " " + messages.shown[1].text,
              "Print Error! 기본 프린터가 설정되어 있지 않습니다.");
    EXPECT_EQ(messages.shown[1].icon, MessageIcon::Critical);
    EXPECT_TRUE(closed);
    EXPECT_EQ(ProgramLogText(), "2026-12-07 09:30:15 PRINT   용지가 걸렸습니다.\r\n"
                                "2026-12-07 09:30:15 PRINT   기본 프린터가 설정되어 있지 않습니다.\r\n");
}

TEST_F(ReceiptTest, PdfHoldsBothCopiesInTheReceiptFont) {
    const auto file = temp.path() / "receipt.pdf";
    const QString pdf = QString::fromStdU16String(file.u16string());
    services.receiptCanvas = [pdf] { return PrinterCanvas::IntoPdf(pdf); };
    form->PrintReceipt();
    EXPECT_TRUE(messages.shown.empty());
    // A face Qt cannot find is drawn in another, or as black boxes where it has none at all.
    EXPECT_NE(ReadWholeFile(file).find("/BaseFont /D2Coding"), std::string::npos);
#ifndef _WIN32 // pdftotext is not found on Windows
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(20000));
    QString content = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_EQ(content.count("특수교육지원 카드영수증"), 2);
    EXPECT_EQ(content.count("9410-0000-****-5678"), 2);
#endif
}
