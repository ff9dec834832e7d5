#pragma once

#include "windows/common/Services.h"

namespace dovra {

class Form1;

// Opens the card-reader and manual entry windows from the main window's lookup buttons.
void AttachLookupWindows(Form1& main, const Services& services);

} // namespace dovra
