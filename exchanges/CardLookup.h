#pragma once

#include "exchanges/Lifecycle.h"

namespace dovra {

// The card lookup ("0200") on Winsock1, by the card reader at the approval server or by hand at the
// fixed lookup server, its answer read for the kind of entry the main window had.
class CardLookup : public Lifecycle {
    Q_OBJECT
public:
    CardLookup(Exchanges& desk, LookupSource source, Entry::Kind kind, QObject* parent);

    // The reader's track as typed so far, or the card as typed by hand, CP949. Each start makes a new
    // connection, leaving any earlier lookup unanswered.
    void Start(const std::string& typed);

signals:
    // The lookup has left: the main window shows the card.
    void CardSent();
    void Finished(const dovra::LookupResult& result);

protected:
    std::string Build() override;
    void AfterSending() override;
    void Read(const std::string& decrypted) override;
    void Conclude(ExchangeOutcome outcome) override;

private:
    LookupSource source_;
    Entry::Kind kind_;
    std::string card_;
};

} // namespace dovra
