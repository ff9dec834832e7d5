#include "windows/lookup/Form6.h"

#include "foundations/AnsiText.h"
#include "windows/common/CommonTexts.h"
#include "windows/common/Face.h"
#include "windows/common/Text.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace dovra {

namespace {
namespace Texts {
const QString Cancel = QStringLiteral("취소");
} // namespace Texts
} // namespace

Form6::Form6(const Services& services, Entry::Kind kind, QWidget* main)
    : CardLookupWindow(services, LookupSource::CardReader, kind, main) {
    setObjectName("Form6");
    new Face(QStringLiteral(":/faces/Form6.png"), this);

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

    connect(Winsock1, &TelegramSocket::Connected, this, Guarded(&Form6::Winsock1_Connect));
}

bool Form6::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        Guarded (&Form6::Text1_KeyPress)(static_cast<const QKeyEvent&>(*event));
    }
    // Every key, "=" included, is typed into the box as well.
    return QWidget::eventFilter(watched, event);
}

// A reader ends the card number with "=" and the whole track with Enter. Each starts the connection
// anew, and each connection that is made sends what the box holds by then.
void Form6::Text1_KeyPress(const QKeyEvent& key) {
    if (key.text() != QStringLiteral("=") && key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) {
        return;
    }
    auto server = services_.counter.settings().ApprovalServer();
    if (!server) {
        Winsock1->Close();
        Tell(CommonTexts::CheckServerSettings);
        return;
    }
    Winsock1->Open(*server);
}

void Form6::Winsock1_Connect() {
    std::string typed = ToCp949(Text1->text());
    auto card = CardFromTrack(typed);
    if (!card) {
        // The connection stays: the next "=" or Enter of a new read makes a fresh one. The misread is
        // dropped, or it would lead the next read and make another card's number of the two.
        Tell(CommonTexts::EnterCardNumber);
        Text1->clear();
        return;
    }
    SendLookup(*card, {ToQt(AnsiMid(typed, 1, 4)), ToQt(AnsiMid(typed, 5, 4)), ToQt(AnsiMid(typed, 9, 4)),
                       ToQt(AnsiMid(typed, 13, 4))});
}

void Form6::Command1_Click() {
    Winsock1->Close();
    close();
}

} // namespace dovra
