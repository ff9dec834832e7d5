#include "transport/CipherLibrary.h"

#include "foundations/PathText.h"

namespace dovra {

namespace {
constexpr std::int32_t NotLoaded = -1000;
}

std::filesystem::path TSeedLibraryFileName() {
#if defined(_WIN32)
    return "TSeed.dll";
#elif defined(__APPLE__)
    return "libTSeed.dylib";
#else
    return "libTSeed.so";
#endif
}

bool CipherLibrary::Load(const std::filesystem::path& file, std::string& error) {
    encrypt_ = decrypt_ = nullptr;
    if (!library_.Open(file, error)) {
        return false;
    }
    encrypt_ = reinterpret_cast<Function>(library_.Symbol("TSeedEncrypt"));
    decrypt_ = reinterpret_cast<Function>(library_.Symbol("TSeedDecrypt"));
    if (!IsLoaded()) {
        encrypt_ = decrypt_ = nullptr;
        error = PathToUtf8(file) + " lacks TSeedEncrypt or TSeedDecrypt";
        return false;
    }
    return true;
}

// The library reads a NUL-terminated input; std::string guarantees the terminator after its bytes.
std::int32_t CipherLibrary::Encrypt(const std::string& plain, std::string& output) const {
    if (encrypt_ == nullptr) {
        return NotLoaded;
    }
    return encrypt_(plain.c_str(), static_cast<std::int32_t>(plain.size()), output.data());
}

std::int32_t CipherLibrary::Decrypt(const std::string& cipher, std::string& output) const {
    if (decrypt_ == nullptr) {
        return NotLoaded;
    }
    return decrypt_(cipher.c_str(), static_cast<std::int32_t>(cipher.size()), output.data());
}

} // namespace dovra
