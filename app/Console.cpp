#include "app/Console.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace dovra {

#ifdef _WIN32

namespace {
bool WriteAll(HANDLE out, std::string_view text) {
    DWORD written = 0;
    return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}
} // namespace

bool WriteToStartersOutput(std::string_view text) {
    HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
    if (given != nullptr && given != INVALID_HANDLE_VALUE && GetFileType(given) != FILE_TYPE_UNKNOWN) {
        return WriteAll(given, text);
    }
    // Started from a console without a redirection: Windows gives a window program no handles at all.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return false;
    }
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    bool written = console != INVALID_HANDLE_VALUE && WriteAll(console, text);
    if (console != INVALID_HANDLE_VALUE) {
        CloseHandle(console);
    }
    FreeConsole();
    return written;
}

#else

bool WriteToStartersOutput(std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}

#endif

} // namespace dovra
