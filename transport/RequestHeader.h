#pragma once

#include "foundations/Clock.h"
#include "transport/Layouts.h"

#include <string_view>

namespace dovra {

// The moment of a request in its header: SendDate, SendTime and TraceNo, the clock read anew for each,
// the trace number being the time and the last six bytes of the merchant number. Across a second
// boundary the fields may carry different seconds, as they always have.
void StampRequestHeader(CommonHeader& header, const Clock& clock, std::string_view merchantNumber);

} // namespace dovra
