#pragma once

#include "exchanges/Lifecycle.h"

namespace dovra {

// The approval ("0500"), cancellation ("0600") or balance inquiry ("0700") on sckMain, with its answer
// time-out timeMain. An approval is journalled before it leaves; answered, its entry is settled; not
// answered, it is handed to its automatic cancellation.
class Payment : public Lifecycle {
    Q_OBJECT
public:
    Payment(Exchanges& desk, QObject* parent);

    // The entry as it was when 결제하기 was clicked: what is checked is what is sent.
    void Start(Entry entry);

signals:
    void Finished(const dovra::PaymentResult& result);

protected:
    std::string Build() override;
    bool Record(const std::string& telegram) override;
    void Withdraw() override;
    void Read(const std::string& decrypted) override;
    void Conclude(ExchangeOutcome outcome) override;

private:
    Entry entry_;
    // The approval on its way: its journal entry, and the telegram as it was sent.
    std::string approvalId_;
    std::string approval_;
    bool answered_ = false;
};

} // namespace dovra
