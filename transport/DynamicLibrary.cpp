#include "transport/DynamicLibrary.h"

#include "foundations/PathText.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace dovra {

DynamicLibrary::~DynamicLibrary() {
    Close();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

#ifdef _WIN32

bool DynamicLibrary::Open(const std::filesystem::path& file, std::string& error) {
    Close();
    handle_ = reinterpret_cast<void*>(LoadLibraryW(file.c_str()));
    if (handle_ == nullptr) {
        error = PathToUtf8(file) + ": LoadLibrary failed with error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

void* DynamicLibrary::Symbol(const char* name) const {
    return handle_ == nullptr ? nullptr
                              : reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void DynamicLibrary::Close() {
    if (handle_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
}

#else

bool DynamicLibrary::Open(const std::filesystem::path& file, std::string& error) {
    Close();
    // Never unmapped: the cipher library pulls in libgcrypt, whose one-time allocations would otherwise
    // be cut loose at unload and reported as leaks; a program loads it once for its whole life anyway.
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error = why != nullptr ? why : "dlopen failed";
        return false;
    }
    return true;
}

void* DynamicLibrary::Symbol(const char* name) const {
    return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

void DynamicLibrary::Close() {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

#endif

} // namespace dovra
