#include "transport/RequestHeader.h"

#include "foundations/AnsiText.h"

namespace dovra {

void StampRequestHeader(CommonHeader& header, const Clock& clock, std::string_view merchantNumber) {
    header.SendDate = FormatDate(clock.Now());
    header.SendTime = FormatTime(clock.Now());
    header.TraceNo = FormatTime(clock.Now()) + AnsiRight(merchantNumber, 6);
}

} // namespace dovra
