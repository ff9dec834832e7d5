#pragma once

#include "transport/DynamicLibrary.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace dovra {

#if defined(_WIN32) && !defined(_WIN64)
#define DOVRA_TSEED_CALL __stdcall
#else
#define DOVRA_TSEED_CALL
#endif

// The cipher library's file name on this platform; the program looks for it beside itself.
std::filesystem::path TSeedLibraryFileName();

// The outside cipher library, loaded by name at run time so it can be replaced without rebuilding the
// program. Both calls take the caller's whole output buffer (filled with spaces) and return the
// library's result code: 0 is success.
class CipherLibrary {
public:
    // Returns false and fills error (UTF-8) when the file or one of its two functions is missing.
    bool Load(const std::filesystem::path& file, std::string& error);
    bool IsLoaded() const { return encrypt_ != nullptr && decrypt_ != nullptr; }

    std::int32_t Encrypt(const std::string& plain, std::string& output) const;
    std::int32_t Decrypt(const std::string& cipher, std::string& output) const;

private:
    using Function = std::int32_t(DOVRA_TSEED_CALL*)(const char*, std::int32_t, char*);
    DynamicLibrary library_;
    Function encrypt_ = nullptr;
    Function decrypt_ = nullptr;
};

} // namespace dovra
