#pragma once

#include "server/Ledger.h"

#include <string>
#include <vector>

namespace dovra {

// The load's own merchant and one card per terminal, so the load never touches demo or real cards.
// Adding them again is harmless; the cards' budgets are large enough that an approval is never refused.
// The merchant's authentication number is drawn afresh each time, so no lasting one exists to be known.
struct LoadCards {
    std::string merchantNo;
    std::string careCode;
    std::vector<std::string> cards;
    std::string businessNo;
    std::string authNo;
};

LoadCards ProvideLoadCards(Ledger& ledger, int count);

} // namespace dovra
