#pragma once

#include <future>

namespace dovra {

// Reads the system's font configuration on another thread from its making, where the system has one
// (fontconfig, on Linux): Qt reads it on the main thread as the first font is looked for, some 4 ms of
// parsing that can as well happen while the application object is made. Make it before the QApplication;
// its end waits for the thread. Elsewhere it does nothing.
class SystemFontsReadAhead {
public:
    SystemFontsReadAhead();

private:
    std::future<void> reading_;
};

// The fonts that travel with the program, in the fonts folder beside it, are read only where the system
// lacks their face, and each only once something is drawn in it.

// The windows' face, and makes it the application's font, so message boxes and lists match the windows.
// Call once the QApplication is made.
void LoadShippedFonts();

// The receipt's face; the first receipt drawn asks for it.
void LoadReceiptFont();

} // namespace dovra
