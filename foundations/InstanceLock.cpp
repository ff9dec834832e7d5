#include "foundations/InstanceLock.h"

#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <sddl.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace dovra {

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : outcome_(other.outcome_), file_(std::exchange(other.file_, NoFile)) {
#ifdef _WIN32
    runningMarker_ = std::exchange(other.runningMarker_, NoFile);
#endif
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        Release();
        outcome_ = other.outcome_;
        file_ = std::exchange(other.file_, NoFile);
#ifdef _WIN32
        runningMarker_ = std::exchange(other.runningMarker_, NoFile);
#endif
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    Release();
}

#ifdef _WIN32

namespace {

// Anyone may wait on the mutex: an installer that an administrator runs over a merchant's session
// must find the merchant's program, which the creator's default access would hide from it. Not
// inherited, so a browser the program opens does not keep the sign up after the program ends.
HANDLE CreateRunningMarker() {
    PSECURITY_DESCRIPTOR everyoneMayWait = nullptr;
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x00100000;;;WD)", SDDL_REVISION_1,
                                                             &everyoneMayWait, nullptr)) {
        attributes.lpSecurityDescriptor = everyoneMayWait;
    }
    HANDLE marker = CreateMutexExW(&attributes, RunningMarkerName, 0, SYNCHRONIZE);
    LocalFree(everyoneMayWait);
    return marker;
}

} // namespace

void InstanceLock::Release() noexcept {
    if (runningMarker_ != NoFile) {
        CloseHandle(runningMarker_);
        runningMarker_ = NoFile;
    }
    if (file_ != NoFile) {
        OVERLAPPED whole{};
        UnlockFileEx(file_, 0, 1, 0, &whole);
        CloseHandle(file_);
        file_ = NoFile;
    }
}

InstanceLock AcquireInstanceLock(const std::filesystem::path& settingsRoot) {
    using Outcome = InstanceLock::Outcome;
    std::error_code ignored;
    std::filesystem::create_directories(settingsRoot, ignored);
    // Shared so that a second instance can open the file and be refused by the lock, not by the open.
    HANDLE file = CreateFileW((settingsRoot / "dovra.lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return InstanceLock(Outcome::FolderNotWritable);
    }
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        DWORD error = GetLastError();
        CloseHandle(file);
        return InstanceLock(error == ERROR_LOCK_VIOLATION ? Outcome::HeldByAnother
                                                          : Outcome::FolderNotWritable);
    }
    InstanceLock lock(Outcome::Acquired);
    lock.file_ = file;
    // A program without the sign still serves the counter; only an installer would miss it.
    lock.runningMarker_ = CreateRunningMarker();
    return lock;
}

#else

void InstanceLock::Release() noexcept {
    if (file_ != NoFile) {
        ::close(file_); // the lock goes with the last descriptor of the open file
        file_ = NoFile;
    }
}

InstanceLock AcquireInstanceLock(const std::filesystem::path& settingsRoot) {
    using Outcome = InstanceLock::Outcome;
    std::error_code ignored;
    std::filesystem::create_directories(settingsRoot, ignored);
    // Not inherited by a program this one starts: it would hold the lock after this one ended.
    int file = ::open((settingsRoot / "dovra.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (file < 0) {
        return InstanceLock(Outcome::FolderNotWritable);
    }
    if (::flock(file, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(file);
        return InstanceLock(error == EWOULDBLOCK ? Outcome::HeldByAnother : Outcome::FolderNotWritable);
    }
    InstanceLock lock(Outcome::Acquired);
    lock.file_ = file;
    return lock;
}

#endif

} // namespace dovra
