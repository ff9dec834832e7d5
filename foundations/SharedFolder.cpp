#include "foundations/SharedFolder.h"

#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>
#endif

namespace dovra {

namespace {

#ifdef _WIN32
bool OpenToUsers(const std::filesystem::path& folder) {
    BYTE users[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof users;
    if (!CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &size)) {
        return false;
    }
    PACL current = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &current, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    EXPLICIT_ACCESSW change{};
    change.grfAccessPermissions = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
    change.grfAccessMode = GRANT_ACCESS;
    change.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    change.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    change.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    change.Trustee.ptstrName = reinterpret_cast<LPWSTR>(users);
    PACL opened = nullptr;
    bool done =
        SetEntriesInAclW(1, &change, current, &opened) == ERROR_SUCCESS &&
        SetNamedSecurityInfoW(const_cast<LPWSTR>(folder.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, opened, nullptr) == ERROR_SUCCESS;
    LocalFree(opened);
    LocalFree(descriptor);
    return done;
}
#else
// Elsewhere the settings live in the user's own data folder.
bool OpenToUsers(const std::filesystem::path&) {
    return true;
}
#endif

} // namespace

bool CreateSharedFolder(const std::filesystem::path& given) {
    // "C:\Tarnwick\" names the folder by its trailing separator, which its parent would not see.
    std::filesystem::path folder = given.has_filename() ? given : given.parent_path();
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return true;
    }
    // The topmost folder made is the one to open: everything below it inherits.
    std::filesystem::path topmost = folder;
    while (topmost.has_relative_path() && !std::filesystem::exists(topmost.parent_path(), error) &&
           topmost.parent_path() != topmost) {
        topmost = topmost.parent_path();
    }
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error) && OpenToUsers(topmost);
}

} // namespace dovra
