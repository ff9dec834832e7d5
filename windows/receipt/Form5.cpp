#include "windows/receipt/Form5.h"

#include "windows/common/Face.h"
#include "windows/common/Text.h"

#include <QCloseEvent>

#include <utility>

namespace dovra {

namespace {
namespace Texts {
const QString Yes = QStringLiteral("예");
const QString No = QStringLiteral("아니요");
} // namespace Texts

QLineEdit* HiddenBox(QWidget* parent, const char* name, const QString& caption, QLabel*& label,
                     const char* labelName, int top) {
    label = new QLabel(caption, parent);
    label->setObjectName(labelName);
    PlaceTwips(label, 240, top, 1200, 300);
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    PlaceTwips(box, 1500, top, 3300, 300);
    return box;
}
} // namespace

Form5::Form5(const Services& services, Receipt receipt, QWidget* parent)
    : QWidget(parent), services_(services), receipt_(std::move(receipt)) {
    setObjectName("Form5");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(340, 140);
    new Face(QStringLiteral(":/faces/Form5.png"), this);

    Command1 = new QPushButton(Texts::Yes, this);
    Command1->setObjectName("Command1");
    PlaceTwips(Command1, 1200, 1155, 1100, 470);
    Command2 = new QPushButton(Texts::No, this);
    Command2->setObjectName("Command2");
    PlaceTwips(Command2, 2820, 1155, 1100, 470);
    for (QPushButton* button : {Command1, Command2}) {
        button->setFont(WindowFont());
    }

    // Below the face: the data travel here, out of sight.
    Text1 = HiddenBox(this, "Text1", QStringLiteral("승인상태 :"), Label9, "Label9", 2580);
    Text2 = HiddenBox(this, "Text2", QStringLiteral("카드번호 :"), Label4, "Label4", 3000);
    Text3 = HiddenBox(this, "Text3", QStringLiteral("승인일시 :"), Label2, "Label2", 3420);
    Text4 = HiddenBox(this, "Text4", QStringLiteral("승인번호 :"), Label3, "Label3", 3840);
    Text5 = HiddenBox(this, "Text5", QStringLiteral("승인금액 :"), Label7, "Label7", 4260);
    Text6 = HiddenBox(this, "Text6", QStringLiteral("잔여금액 :"), Label6, "Label6", 4680);
    Text7 = HiddenBox(this, "Text7", QStringLiteral("치료영역 :"), Label5, "Label5", 5130);
    Text8 = HiddenBox(this, "Text8", QStringLiteral("치료강사 :"), Label8, "Label8", 5580);
    const std::string* values[] = {&receipt_.kind,       &receipt_.cardNumber, &receipt_.dateTime,
                                   &receipt_.approvalNo, &receipt_.amount,     &receipt_.remain,
                                   &receipt_.careItem,   &receipt_.teacher};
    QLineEdit* boxes[] = {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8};
    for (size_t i = 0; i < std::size(boxes); ++i) {
        boxes[i]->setText(ToQt(*values[i]));
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
