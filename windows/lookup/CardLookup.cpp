#include "windows/lookup/CardLookup.h"

#include "windows/common/CommonTexts.h"
#include "windows/common/Guard.h"

#include <QCloseEvent>

namespace dovra {

CardLookupWindow::CardLookupWindow(const Services& services, LookupSource source, Entry::Kind kind,
                                   QWidget* main)
    : QWidget(main, Qt::Dialog), services_(services),
      lookup_(new CardLookup(services.exchanges, source, kind, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(340, 140);
    connect(lookup_, &CardLookup::CardSent, this, [this] {
        emit Stepped({LookupStep::Kind::CardSent, groups_, {}});
    });
    connect(lookup_, &CardLookup::Finished, this,
            GuardedSlot(services_, this, &CardLookupWindow::Lookup_Finished, &CardLookupWindow::Abandon));
}

void CardLookupWindow::closeEvent(QCloseEvent* event) {
    lookup_->Stop();
    event->accept();
}

void CardLookupWindow::Look(const std::string& typed, const std::array<QString, 4>& groups) {
    groups_ = groups;
    lookup_->Start(typed);
}

void CardLookupWindow::Lookup_Finished(const LookupResult& result) {
    if (result.outcome.kind == ExchangeOutcome::Kind::Answered) {
        emit Stepped({LookupStep::Kind::Answered, {}, result.card});
        close();
        return;
    }
    TellOutcome(services_, this, result.outcome, CommonTexts::Title);
    if (result.outcome.fault) {
        Abandon();
    } else if (result.outcome.kind == ExchangeOutcome::Kind::Refused) {
        Refused(result.outcome.refusal);
    }
}

void CardLookupWindow::Tell(const QString& text) {
    services_.messages.Show(this, text, CommonTexts::Title, MessageIcon::None);
}

void CardLookupWindow::Abandon() {
    lookup_->Stop();
    emit Stepped({LookupStep::Kind::Abandoned, {}, {}});
    close();
}

} // namespace dovra
