#include "foundations/SettingsPaths.h"

#include <cstdlib>

namespace dovra {

std::filesystem::path DefaultSettingsRoot() {
#ifdef _WIN32
    return std::filesystem::path("C:\\Tarnwick\\");
#else
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        return std::filesystem::path(dataHome) / "Tarnwick";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".local" / "share" / "Tarnwick";
#endif
}

} // namespace dovra
