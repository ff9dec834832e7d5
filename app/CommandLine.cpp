#include "app/CommandLine.h"

namespace dovra {

bool AsksForVersion(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--version") {
            return true;
        }
    }
    return false;
}

std::string VersionLine(std::string_view version, bool demo) {
    std::string line = "dovra ";
    line += version;
    if (demo) {
        line += " demo";
    }
    return line + "\n";
}

} // namespace dovra
