#include "windows/receipt/Form5.h"

#include "windows/common/Face.h"
#include "windows/common/Text.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <iterator>
#include <utility>

namespace dovra {

namespace {
namespace Texts {
const QString Yes = QStringLiteral("예");
const QString No = QStringLiteral("아니요");
} // namespace Texts

// Below the face, out of sight, in the order of the receipt's fields.
constexpr const char* BoxNames[] = {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8"};
constexpr const char* LabelNames[] = {"Label9", "Label4", "Label2", "Label3",
                                      "Label7", "Label6", "Label5", "Label8"};
constexpr int Tops[] = {2580, 3000, 3420, 3840, 4260, 4680, 5130, 5580};
static_assert(std::size(BoxNames) == std::size(ReceiptFields));
} // namespace

Form5::Form5(const Services& services, Receipt receipt, QWidget* parent)
    : QWidget(parent), services_(services), receipt_(std::move(receipt)) {
    setObjectName("Form5");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(340, 140);
    new Face(QStringLiteral("Form5"), this);

    auto* Command1 = new QPushButton(Texts::Yes, this);
    Command1->setObjectName("Command1");
    PlaceTwips(Command1, 1200, 1155, 1100, 470);
    auto* Command2 = new QPushButton(Texts::No, this);
    Command2->setObjectName("Command2");
    PlaceTwips(Command2, 2820, 1155, 1100, 470);
    for (QPushButton* button : {Command1, Command2}) {
        button->setFont(WindowFont());
    }

    for (size_t i = 0; i < std::size(ReceiptFields); ++i) {
        const ReceiptField& field = ReceiptFields[i];
        auto* label = new QLabel(
            QString::fromUtf8(field.label.data(), static_cast<qsizetype>(field.label.size())), this);
        label->setObjectName(LabelNames[i]);
        PlaceTwips(label, 240, Tops[i], 1200, 300);
        auto* box = new QLineEdit(ToQt(receipt_.*field.value), this);
        box->setObjectName(BoxNames[i]);
        PlaceTwips(box, 1500, Tops[i], 3300, 300);
    }

    connect(Command1, &QPushButton::clicked, this, [this] {
        PrintReceipt();
        close();
    });
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
}

void Form5::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Closed();
}

} // namespace dovra
