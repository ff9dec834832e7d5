#include "support/WindowFixture.h"
#include "windows/receipt/Form5.h"
#include "windows/receipt/PrinterCanvas.h"

#include <QProcess>
#include <QTest>

using namespace dovra;

namespace {

class ReceiptTest : public WindowFixture {
protected:
    void SetUp() override {
        services.receiptCanvas = [this] { return std::make_unique<RecordingCanvas>(page); };
        Open({});
    }
    void TearDown() override { delete form.data(); }

    void Open(const MerchantDetails& merchant) {
        delete form.data();
        form = new Form5(services,
                         {Utf8ToCp949("카드 승인"), "9410000012345678", "20261207  9:30:15", "000012345678",
                          "40,000", "180,000", Utf8ToCp949("언어치료"), Utf8ToCp949("이수진"), merchant});
        QObject::connect(form, &Form5::Closed, [this] { closed = true; });
        form->show();
    }

    void SaveMerchant() {
        counter.settings().SaveMerchant({Utf8ToCp949("새싹아동발달센터") + "   ", "000071052301",
                                         "02-3456-7890", Utf8ToCp949("서울특별시 마포구 월드컵로 120 3층")});
        Open(counter.settings().ReadMerchant());
    }

    // Where a text of this width stands for each alignment of the receipt.
    static double LeftX(const QString&) { return 5; }
    double RightX(const QString& text) { return 70 - RecordingCanvas(page).TextWidth(text); }
    double CentreX(const QString& text) { return (65 - RecordingCanvas(page).TextWidth(text)) / 2 + 5; }

    DrawnPage page;
    QPointer<Form5> form;
    bool closed = false;
};

struct Line {
    double y;
    QString text;
    char align; // 'L', 'R' or 'C'
};

} // namespace

TEST_F(ReceiptTest, PrintsBothCopiesLineByLineInMillimetres) {
    SaveMerchant();
    QTest::mouseClick(Find<QPushButton>(form, "Command1"), Qt::LeftButton);
    ASSERT_TRUE(page.ended);
    EXPECT_FALSE(page.discarded);
    EXPECT_TRUE(closed);
    EXPECT_EQ(page.font, "D2Coding 9 bold");
    ASSERT_EQ(page.rectangles.size(), 2u);
    EXPECT_EQ(page.rectangles[0], QRectF(0, 0, 75, 110));
    EXPECT_EQ(page.rectangles[1], QRectF(0, 120, 75, 105));

    const QString dashes(66, '-');
    for (int copy = 0; copy < 2; ++copy) {
        double o = copy == 0 ? 0 : 115;
        std::vector<Line> expected = {
            {8 + o, "특수교육지원 카드영수증", 'C'},
            {14 + o, copy == 0 ? "( 고 객 용 )" : "( 가맹점용 )", 'C'},
            {20 + o, dashes, 'C'},
            {23 + o, "상호 : 새싹아동발달센터", 'L'},
            {26 + o, "가맹점번호 : 000071052301", 'L'},
            {29 + o, "주소 : 서울특별시 마포구 월드컵로 120 3층", 'L'},
            {32 + o, "TEL  : 02-3456-7890", 'L'},
            {35 + o, dashes, 'C'},
            {38 + o, "[카드 승인]", 'L'},
            {41 + o, "카드번호 :", 'L'},
            {41 + o, "9410-0000-****-5678", 'R'},
            {44 + o, "승인일시 :", 'L'},
            {44 + o, "20261207  9:30:15", 'R'},
            {47 + o, "승인번호 :", 'L'},
            {47 + o, "000012345678", 'R'},
            {50 + o, "승인금액 :", 'L'},
            {50 + o, "40,000", 'R'},
            {53 + o, "잔여금액 :", 'L'},
            {53 + o, "180,000", 'R'},
            {56 + o, "치료영역 :", 'L'},
            {56 + o, "언어치료", 'R'},
            {59 + o, "치료강사 :", 'L'},
            {59 + o, "이수진", 'R'},
            {62 + o, dashes, 'C'},
            {65 + o, "결제 취소시 영수증을 지참해 주시기 바랍니다.", 'C'},
            {68 + o, dashes, 'C'},
            {71 + o, "[서 명]", 'L'},
        };
        for (size_t i = 0; i < expected.size(); ++i) {
            const DrawnText& drawn = page.texts.at(copy * expected.size() + i);
            const Line& line = expected[i];
            EXPECT_EQ(drawn.text, line.text);
            EXPECT_DOUBLE_EQ(drawn.y, line.y) << line.text.toStdString();
            double x = line.align == 'L'   ? LeftX(line.text)
                       : line.align == 'R' ? RightX(line.text)
                                           : CentreX(line.text);
            EXPECT_DOUBLE_EQ(drawn.x, x) << line.text.toStdString();
        }
    }
    EXPECT_EQ(page.texts.size(), 54u);
}

TEST_F(ReceiptTest, MissingMerchantDetailsPrintTheLabelsAlone) {
    QTest::mouseClick(Find<QPushButton>(form, "Command1"), Qt::LeftButton);
    std::vector<QString> texts;
    for (const DrawnText& t : page.texts) {
        texts.push_back(t.text);
    }
    EXPECT_EQ(texts[3], "상호 : ");
    EXPECT_EQ(texts[4], "가맹점번호 : ");
    EXPECT_EQ(texts[5], "주소 : ");
    EXPECT_EQ(texts[6], "TEL  : ");
}

TEST_F(ReceiptTest, NoPrinterIsToldAndNothingIsPrinted) {
    services.receiptCanvas = []() -> std::unique_ptr<ReceiptCanvas> {
        throw ReceiptError("기본 프린터가 설정되어 있지 않습니다.");
    };
    QTest::mouseClick(Find<QPushButton>(form, "Command1"), Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Print Error!");
    EXPECT_EQ(messages.shown[0].text, "기본 프린터가 설정되어 있지 않습니다.");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(closed);
}

TEST_F(ReceiptTest, FailureHalfwayDiscardsTheDocument) {
    struct FailingCanvas final : RecordingCanvas {
        using RecordingCanvas::RecordingCanvas;
        void DrawRectangle(double, double top, double, double) override {
            if (top > 0) {
                throw ReceiptError("용지가 걸렸습니다.");
            }
        }
    };
    services.receiptCanvas = [this] { return std::make_unique<FailingCanvas>(page); };
    QTest::mouseClick(Find<QPushButton>(form, "Command1"), Qt::LeftButton);
    EXPECT_TRUE(page.discarded);
    EXPECT_FALSE(page.ended);
    EXPECT_EQ(messages.shown.at(0).text, "용지가 걸렸습니다.");
}

TEST_F(ReceiptTest, NoPrintsNothing) {
    QTest::mouseClick(Find<QPushButton>(form, "Command2"), Qt::LeftButton);
    EXPECT_TRUE(page.texts.empty());
    EXPECT_TRUE(closed);
}

TEST_F(ReceiptTest, PdfHoldsBothCopiesInTheReceiptFont) {
    SaveMerchant();
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
    EXPECT_TRUE(content.contains("( 고 객 용 )"));
    EXPECT_TRUE(content.contains("( 가맹점용 )"));
    EXPECT_EQ(content.count("9410-0000-****-5678"), 2);
#endif
}
