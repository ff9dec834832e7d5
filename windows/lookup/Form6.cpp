#include "windows/lookup/Form6.h"

#include "foundations/AnsiText.h"
#include "windows/common/Face.h"
#include "windows/common/Text.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include <utility>

namespace dovra {

namespace {
namespace Texts {
const QString Cancel = QStringLiteral("취소");
} // namespace Texts
} // namespace

Form6::Form6(const Services& services, Entry::Kind kind, QWidget* main)
    : CardLookupWindow(services, LookupSource::CardReader, kind, main) {
    setObjectName("Form6");
    new Face(QStringLiteral("Form6"), this);

    // Below the bottom edge: it holds the focus for the reader without the merchant seeing the track.
    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    PlaceTwips(Text1, 840, 2280, 3075, 315);
    Text1->installEventFilter(this);

    Command1 = new QPushButton(Texts::Cancel, this);
    Command1->setObjectName("Command1");
    Command1->setFont(WindowFont());
    PlaceTwips(Command1, 1920, 1020, 1100, 470);
    connect(Command1, &QPushButton::clicked, this, Guarded(&Form6::Command1_Click));

    setTabOrder(Text1, Command1);
    Text1->setFocus();
}

bool Form6::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        Guarded (&Form6::Text1_KeyPress)(static_cast<const QKeyEvent&>(*event));
        if (std::exchange(misread_, false)) {
            return true; // it would lead the next read
        }
    }
    // Every other key, "=" included, is typed into the box as well.
    return QWidget::eventFilter(watched, event);
}

// A reader ends the card number with "=" and the whole track with Enter. Each starts the lookup anew
// with what the box holds by then, whose first sixteen characters are the card.
void Form6::Text1_KeyPress(const QKeyEvent& key) {
    if (key.text() != QStringLiteral("=") && key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) {
        return;
    }
    std::string typed = ToCp949(Text1->text());
    Look(typed, {ToQt(AnsiMid(typed, 1, 4)), ToQt(AnsiMid(typed, 5, 4)), ToQt(AnsiMid(typed, 9, 4)),
                 ToQt(AnsiMid(typed, 13, 4))});
}

// A misread is dropped, or it would lead the next read and make another card's number of the two.
void Form6::Refused(Refusal why) {
    if (why == Refusal::CardNumber) {
        Text1->clear();
        misread_ = true;
    }
}

void Form6::Command1_Click() {
    lookup_->Stop();
    close();
}

} // namespace dovra
