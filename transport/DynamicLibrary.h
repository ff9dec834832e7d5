#pragma once

#include <filesystem>
#include <string>

namespace dovra {

// A shared library opened at run time, closed with the object.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    // Returns false and fills error (UTF-8) when the file cannot be loaded.
    bool Open(const std::filesystem::path& file, std::string& error);
    void* Symbol(const char* name) const;

private:
    void Close();
    void* handle_ = nullptr;
};

} // namespace dovra
