#pragma once

#include <filesystem>

namespace dovra {

// Held for the life of the program; a second instance finds it taken. The lock belongs to the
// operating system, on an open file, so it goes with the process however that ends: a crashed
// instance leaves nothing to be judged stale, which a process id cannot promise where ids are reused
// at once (Wine). A settings folder that cannot be written is told apart from a running instance: the
// merchant must not look for a program that is not there.
//
// On Windows the held lock also holds a named mutex, the sign by which the installer and the
// uninstaller tell that the program runs. The name is the same for every settings root, so it is only
// a sign: the lock decides which instance runs.
class InstanceLock {
public:
    enum class Outcome { Acquired, HeldByAnother, FolderNotWritable };

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    Outcome outcome() const { return outcome_; }

private:
    friend InstanceLock AcquireInstanceLock(const std::filesystem::path& settingsRoot);
    explicit InstanceLock(Outcome outcome) : outcome_(outcome) {}
    void Release() noexcept;

    Outcome outcome_;
#ifdef _WIN32
    using File = void*; // a HANDLE
    static constexpr File NoFile = nullptr;
#else
    using File = int;
    static constexpr File NoFile = -1;
#endif
    File file_ = NoFile; // open only when Acquired
#ifdef _WIN32
    File runningMarker_ = NoFile;
#endif
};

// The named mutex the installer opens (OpenMutexW with SYNCHRONIZE) to ask whether the program runs.
inline constexpr wchar_t RunningMarkerName[] = L"Global\\DovraApprovalSystem";

// Creates the settings root when it is missing and locks its dovra.lock.
InstanceLock AcquireInstanceLock(const std::filesystem::path& settingsRoot);

} // namespace dovra
