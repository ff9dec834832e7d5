#pragma once

#include "foundations/Clock.h"
#include "server/AttemptLimit.h"
#include "server/Ledger.h"
#include "server/RequestReader.h"

#include <cstdint>
#include <functional>
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
// Only the ledger's thread calls Handle and Sweep.
class Teller {
public:
    // The automatic cancellation is built at the time-out, 10 to 20 seconds after its approval, or
    // carries the approval's own moment when resent after a restart. It reverses an approval made at most
    // this long before its moment, on the terminal's clock where both carry one, else before it arrives:
    // a counter's next payment of the same item on the same card comes later than that after the first,
    // and a receipted approval must never be taken for the lost one.
    static constexpr std::int64_t AutoCancelReach = 25;
    // Approvals and cancellations dated further than this from the server's date are refused.
    static constexpr std::int64_t FreshDays = 1;
    // A telegram is taken for three calendar days at most after it first arrives (its date may be a day
    // off either way); its answer is kept a day longer, so no replay outlives it.
    static constexpr std::int64_t ReplayKeep = (2 * FreshDays + 2) * 24 * 3600;
    // A session ends this long after the last request made in it.
    static constexpr std::int64_t SessionLife = 30 * 24 * 3600;
    // Guessing: this many failures from one address within the period lock it out for the period.
    static constexpr int WrongLoginsAllowed = 5;
    static constexpr int MissedCancellationsAllowed = 10;
    static constexpr std::int64_t GuessPeriod = 15 * 60;

    using Log = std::function<void(const std::string&)>;
    Teller(Ledger& ledger, const Clock& clock, Log log = {})
        : ledger_(ledger), clock_(clock), log_(std::move(log)) {}
    void SetLog(Log log) { log_ = std::move(log); }

    Outcome Handle(const Request& request);
    // The answer for a request that could not be decided: a malformed frame, a ledger failure.
    Outcome Refuse(const Request& request, std::string_view code, std::string note = {}) const;

    void ForgetOldAnswers();
    // Ends the guessing locks whose time is up, and says so in the log.
    void Sweep();

    // Seconds of a local time on one continuous count, for the windows above.
    static std::int64_t SecondsOf(const LocalTime& t);

private:
    struct Moment {
        std::string date, time, month;
        std::int64_t seconds = 0;
    };
    Moment Now() const;
    void Say(const std::string& line) const;

    Outcome Decide(const Request& request, const Moment& now);
    Outcome Login(const Request& request, const Moment& now);
    bool InSession(const Request& request, const Moment& now);
    // The merchant's live session at the address, kept alive by the request at hand.
    std::optional<Session> KeepSession(const std::string& peer, const std::string& merchantNo,
                                       const Moment& now);
    // Whether an approval of this item on this card could be taken at all.
    bool MayStillBeApproved(const std::string& cardNo, const std::string& careCode);
    Outcome Lookup(const Request& request, const Moment& now);
    Outcome Approve(const Request& request, const Moment& now);
    Outcome Cancel(const Request& request, const Moment& now);
    Outcome Balance(const Request& request, const Moment& now);
    Outcome Reverse(const Request& request, const LedgerEntry& approval, const Moment& now);

    // The refusal code for the merchant and the card of the request; empty when both may go on.
    std::string_view CheckMerchantAndCard(const RequestFields& fields, Card& card);

    // What a lookup and a balance inquiry both answer with: the card's holder and this month's budgets.
    struct CardMonth {
        ResponseFields answer;
        Budget support, afterSchool;
        Card card;
    };
    std::optional<CardMonth> AnswerForCard(const Request& request, const Moment& now,
                                           std::string_view& refusal);

    Ledger& ledger_;
    const Clock& clock_;
    Log log_;
    AttemptLimit wrongLogins_{WrongLoginsAllowed, GuessPeriod};
    AttemptLimit missedCancellations_{MissedCancellationsAllowed, GuessPeriod};
};

} // namespace dovra
