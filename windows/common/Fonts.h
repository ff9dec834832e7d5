#pragma once

namespace dovra {

// Loads the fonts that travel with the program, from the fonts folder beside it, and makes the windows'
// font the application's, so message boxes and lists match the windows. Call once the QApplication is
// made.
void LoadShippedFonts();

} // namespace dovra
