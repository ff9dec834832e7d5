#pragma once

#include "counter/Counter.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace dovra {

// Why nothing was sent.
enum class Refusal {
    None,
    SameSecond, // a request already went out in this second: dropped without a word
    AuthNo,
    CardNumber,
    Reason,
    ServerSettings,
    Journal,
    Encrypt,
    Connection,
    Fault, // inside the program
};

// How one exchange ended, as the window that asked for it hears it once.
struct ExchangeOutcome {
    enum class Kind {
        Answered,    // the server's answer, read
        Refused,     // refused before anything was sent
        NotAnswered, // sent, and no answer came in time or the connection broke
        Unreadable,  // sent, and what came back cannot be read
    };
    Kind kind = Kind::Answered;
    Refusal refusal = Refusal::None;
    QString message;    // for the merchant; empty when nothing is to be said
    bool fault = false; // the message tells of a fault inside the program, with its detail
    QString warning;    // for the merchant after the rest is shown
};

struct LoginResult {
    ExchangeOutcome outcome;
    bool accepted = false; // the merchant's details are saved: the main window may open
};

struct LookupResult {
    ExchangeOutcome outcome;
    CardOutcome card; // Answered
};

struct PaymentResult {
    ExchangeOutcome outcome;
    std::vector<std::string> lines; // Answered: for the result list, CP949
    std::optional<Receipt> receipt; // an approval or cancellation that went through
};

} // namespace dovra
