#include "foundations/DurableFile.h"

#include <cstdio>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace dovra {

namespace {

bool SyncAndClose(std::FILE* f) {
    bool ok = std::fflush(f) == 0;
#ifdef _WIN32
    ok = ok && _commit(_fileno(f)) == 0;
#else
    ok = ok && fsync(fileno(f)) == 0;
#endif
    return std::fclose(f) == 0 && ok;
}

std::FILE* Open(const std::filesystem::path& file, const char* mode) {
#ifdef _WIN32
    std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(file.c_str(), wmode.c_str());
#else
    return std::fopen(file.c_str(), mode);
#endif
}

bool WriteAll(std::FILE* f, std::string_view bytes) {
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

void SyncFolder([[maybe_unused]] const std::filesystem::path& folder) {
#ifndef _WIN32
    // The rename itself must survive a power cut too.
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

} // namespace

bool ReplaceFileDurably(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::path temp = file;
    temp += ".new";
    std::FILE* f = Open(temp, "wb");
    if (f == nullptr) {
        return false;
    }
    bool written = WriteAll(f, bytes);
    if (!SyncAndClose(f) || !written) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    SyncFolder(file.parent_path());
    return true;
}

bool AppendToFileDurably(const std::filesystem::path& file, std::string_view bytes) {
    std::FILE* f = Open(file, "ab");
    if (f == nullptr) {
        return false;
    }
    bool written = WriteAll(f, bytes);
    return SyncAndClose(f) && written;
}

} // namespace dovra
