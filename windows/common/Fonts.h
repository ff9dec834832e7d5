#pragma once

namespace dovra {

// The fonts that travel with the program, in the fonts folder beside it, are read only where the system
// lacks their face, and each only once something is drawn in it.

// The windows' face, and makes it the application's font, so message boxes and lists match the windows.
// Call once the QApplication is made.
void LoadShippedFonts();

// The receipt's face; the first receipt drawn asks for it.
void LoadReceiptFont();

} // namespace dovra
