#pragma once

#include "foundations/Clock.h"
#include "server/Ledger.h"
#include "server/RequestReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dovra {

struct Outcome {
    std::string answer; // the framed plain answer, ready to encrypt
    std::string respCode;
    std::string note; // what the exchange log adds: card, amount, approval numbers
    bool replayed = false;
    // An approval's or cancellation's answer waits for its batch to commit, and becomes a storage
    // refusal if it does not.
    bool needsCommit = false;
};

// Decides every exchange against the ledger, inside the caller's open transaction. Each request is
// answered at the clock's present moment; a request seen before, byte for byte, gets its first answer.
class Teller {
public:
    // A timed-out approval is reversed automatically only if made within this many seconds before the
    // time-out, on the terminal's clock where both carry a moment, else before the cancellation arrives.
    static constexpr std::int64_t AutoCancelWindow = 600;
    // A repeat comes within seconds; answers are kept far longer than that and then forgotten.
    static constexpr std::int64_t ReplayKeep = 2 * 24 * 3600;

    Teller(Ledger& ledger, const Clock& clock) : ledger_(ledger), clock_(clock) {}

    Outcome Handle(const Request& request);
    // The answer for a request that could not be decided: a malformed frame, a ledger failure.
    Outcome Refuse(const Request& request, std::string_view code, std::string note = {}) const;

    void ForgetOldAnswers();

    // Seconds of a local time on one continuous count, for the windows above.
    static std::int64_t SecondsOf(const LocalTime& t);

private:
    struct Moment {
        std::string date, time, month;
        std::int64_t seconds = 0;
    };
    Moment Now() const;

    Outcome Decide(const Request& request, const Moment& now);
    Outcome Login(const Request& request);
    Outcome Lookup(const Request& request, const Moment& now);
    Outcome Approve(const Request& request, const Moment& now);
    Outcome Cancel(const Request& request, const Moment& now);
    Outcome Balance(const Request& request, const Moment& now);
    Outcome Reverse(const Request& request, const LedgerEntry& approval, const Moment& now);

    // The refusal code for the merchant and the card of the request; empty when both may go on.
    std::string CheckMerchantAndCard(const RequestFields& fields, Card& card);

    // What a lookup and a balance inquiry both answer with: the card's holder and this month's budgets.
    struct CardMonth {
        ResponseFields answer;
        Budget support, afterSchool;
        Card card;
    };
    std::optional<CardMonth> AnswerForCard(const Request& request, const Moment& now, std::string& refusal);

    Ledger& ledger_;
    const Clock& clock_;
};

} // namespace dovra
