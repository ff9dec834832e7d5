#include "windows/lookup/CardLookup.h"

#include "windows/common/CommonTexts.h"
#include "windows/common/Guard.h"

#include <QCloseEvent>

namespace dovra {

CardLookupWindow::CardLookupWindow(const Services& services, LookupSource source, Entry::Kind kind,
                                   QWidget* main)
    : QWidget(main, Qt::Dialog), services_(services), source_(source), kind_(kind) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(340, 140);
    Winsock1 = new TelegramSocket(
        "Winsock1", source == LookupSource::CardReader ? CardReaderLookupExchange : ManualLookupExchange,
        services_, this);
    auto guarded = [this](auto handler) {
        return GuardedSlot(services_, this, handler, &CardLookupWindow::Abandon);
    };
    connect(Winsock1, &TelegramSocket::Answered, this, guarded(&CardLookupWindow::Winsock1_DataArrival));
    connect(Winsock1, &TelegramSocket::Failed, this, guarded(&CardLookupWindow::Winsock1_Failed));
}

void CardLookupWindow::closeEvent(QCloseEvent* event) {
    Winsock1->Close();
    event->accept();
}

void CardLookupWindow::SendLookup(const std::string& card, const std::array<QString, 4>& groups) {
    if (Winsock1->Send(services_.counter.CardLookupRequest(source_, card)) != EnvelopeError::None) {
        Winsock1->Close();
        Tell(CommonTexts::CannotEncrypt);
        return;
    }
    emit Stepped({LookupStep::Kind::CardSent, groups, {}});
}

void CardLookupWindow::Winsock1_DataArrival(const std::string& decrypted) {
    emit Stepped(
        {LookupStep::Kind::Answered, {}, services_.counter.ReadCardAnswer(source_, kind_, decrypted)});
    close();
}

void CardLookupWindow::Winsock1_Failed(TelegramSocket::Failure failure) {
    Winsock1->Close();
    Tell(FailureText(failure));
}

void CardLookupWindow::Tell(const QString& text) {
    services_.messages.Show(this, text, CommonTexts::Title, MessageIcon::None);
}

void CardLookupWindow::Abandon() {
    Winsock1->Close();
    emit Stepped({LookupStep::Kind::Abandoned, {}, {}});
    close();
}

} // namespace dovra
