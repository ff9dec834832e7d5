#pragma once

#include "tools/load/LoadCards.h"
#include "tools/load/Terminal.h"

#include <cstdint>
#include <map>
#include <string>

namespace dovra {

struct LoadSettings {
    TerminalTarget target;
    LoadCards cards; // one terminal per card
    double seconds = 10;
};

struct LoadReport {
    double seconds = 0;
    std::int64_t exchanges = 0; // answered, refusals included
    std::int64_t approvals = 0; // approvals answered with success
    std::int64_t cancellations = 0;
    std::int64_t lookups = 0;
    std::map<std::string, std::int64_t> refusals; // "0500 88" and the like
    std::int64_t failures = 0;   // no connection, no answer or an answer that did not decrypt
    double p50Ms = 0, p99Ms = 0; // over every answered exchange
};

// Each terminal logs in from an address of its own (on loopback; elsewhere the system's), then loops
// lookup, approval, cancellation of that approval on its own card until the time is up, each exchange on
// a connection of its own.
LoadReport RunLoad(const CipherLibrary& cipher, const LoadSettings& settings);

} // namespace dovra
