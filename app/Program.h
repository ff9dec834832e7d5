#pragma once

#include "windows/common/Services.h"

#include <QObject>
#include <QPointer>

#include <filesystem>
#include <memory>

class QLockFile;

namespace dovra {

class AutomaticCancellation;
class Form1;
class Form3;

// The order of the windows: login first, the main window after a login, the login again after a
// logout, and the end of the program when the main window is closed otherwise.
class Program : public QObject {
    Q_OBJECT
public:
    explicit Program(const Services& services, QObject* parent = nullptr);

    void ShowLogin();
    // Ends the program once the automatic cancellations have left, or after a few seconds without.
    void EndWhenSettled();
    Form3* loginWindow() const;
    Form1* mainWindow() const;

signals:
    void Ended();

private:
    void OpenMainWindow();
    void RecoverFromFault();

    const Services& services_;
    AutomaticCancellation* cancellations_;
    bool cancellationsStarted_ = false;
    QPointer<Form3> login_;
    QPointer<Form1> main_;
};

// Held for the life of the program; a second instance finds it taken. A lock left by a crashed
// instance is recognised by its dead process and taken over. A settings folder that cannot be written
// is told apart from a running instance: the merchant must not look for a program that is not there.
struct InstanceLock {
    enum class Outcome { Acquired, HeldByAnother, FolderNotWritable };
    Outcome outcome;
    std::unique_ptr<QLockFile> file; // held while it lives, when Acquired
};
InstanceLock AcquireInstanceLock(const std::filesystem::path& settingsRoot);

// Where the program looks for the cipher library: beside itself, then in the build's lib folder.
std::filesystem::path FindCipherLibrary(const std::filesystem::path& programFolder);

} // namespace dovra
