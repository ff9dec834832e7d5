#pragma once

#include <string>
#include <string_view>

namespace dovra {

// "dovra --version" answers before any window is made, so an installer or the support desk can ask
// which build is installed without starting the program.
bool AsksForVersion(int argc, const char* const argv[]);
// "dovra 1.0.0", or "dovra 1.0.0 demo" for a build with the demo key, and a newline.
std::string VersionLine(std::string_view version, bool demo);

} // namespace dovra
