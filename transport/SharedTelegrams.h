#pragma once

#include "transport/Layouts.h"

#include <string>

namespace dovra {

// The program's one set of request fields, assembly buffer and answer fields. Every window that builds
// or reads a telegram works on this same set, so what one exchange leaves behind (the TraceNo of the
// last request, say) is what the next one sees.
struct SharedTelegrams {
    RequestFields requestFields;
    std::string TelegramBuffer;
    ResponseFields responseFields;
};

} // namespace dovra
