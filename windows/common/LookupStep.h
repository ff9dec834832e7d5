#pragma once

#include "counter/Counter.h"

#include <QString>

#include <array>

namespace dovra {

// What a card lookup window hands the main window: the card it sent, the answer's outcome, or that it
// broke off and the entry must start afresh.
struct LookupStep {
    enum class Kind { CardSent, Answered, Abandoned } kind = Kind::Abandoned;
    std::array<QString, 4> cardGroups; // CardSent
    CardOutcome answer;                // Answered
};

} // namespace dovra
