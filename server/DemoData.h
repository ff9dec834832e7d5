#pragma once

#include "foundations/Clock.h"
#include "server/Ledger.h"

namespace dovra {

// The merchant and cards the README names, for trying the client out. Loads only into an empty
// ledger and returns false otherwise, so restarting with the same option never doubles anything.
bool SeedDemo(Ledger& ledger, const Clock& clock);

} // namespace dovra
