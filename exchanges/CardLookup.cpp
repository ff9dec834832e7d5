#include "exchanges/CardLookup.h"

#include "exchanges/Texts.h"

namespace dovra {

CardLookup::CardLookup(Exchanges& desk, LookupSource source, Entry::Kind kind, QObject* parent)
    : Lifecycle(desk, "Winsock1",
                source == LookupSource::CardReader ? CardReaderLookupExchange : ManualLookupExchange, parent),
      source_(source), kind_(kind) {}

void CardLookup::Start(const std::string& typed) {
    if (source_ == LookupSource::ManualEntry) {
        if (!IsWholeCardNumber(typed)) {
            Refuse(Refusal::CardNumber, ExchangeTexts::EnterCardNumber);
            return;
        }
        card_ = typed;
        Connect(lookupServer());
        return;
    }
    auto server = desk_.settings().ApprovalServer();
    if (!server) {
        Refuse(Refusal::ServerSettings, ExchangeTexts::CheckServerSettings);
        return;
    }
    auto card = CardFromTrack(typed);
    if (!card) {
        Refuse(Refusal::CardNumber, ExchangeTexts::EnterCardNumber);
        return;
    }
    card_ = *card;
    Connect(*server);
}

std::string CardLookup::Build() {
    return counter().CardLookupRequest(source_, card_);
}

void CardLookup::AfterSending() {
    emit CardSent();
}

void CardLookup::Read(const std::string& decrypted) {
    emit Finished({{}, counter().ReadCardAnswer(source_, kind_, decrypted)});
}

void CardLookup::Conclude(ExchangeOutcome outcome) {
    emit Finished({std::move(outcome), {}});
}

} // namespace dovra
