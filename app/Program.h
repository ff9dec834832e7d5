#pragma once

#include "windows/common/Services.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <filesystem>

namespace dovra {

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
    bool ended_ = false;
    QPointer<Form3> login_;
    QPointer<Form1> main_;
};

// Opens the main window's child windows as it asks for them: the card-reader and manual entry windows
// from its lookup buttons, whose outcome goes back to it, and the receipt question after a payment,
// whose closing returns it to idle.
void AttachChildWindows(Form1& main, const Services& services);

// Where the program looks for the cipher library: beside itself, then in the build's lib folder. The
// program's folder as Qt tells it (QCoreApplication::applicationDirPath()).
std::filesystem::path FindCipherLibrary(const QString& programFolder);

} // namespace dovra
