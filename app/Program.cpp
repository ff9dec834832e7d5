#include "app/Program.h"

#include "exchanges/AutomaticCancellation.h"
#include "windows/common/Guard.h"
#include "windows/common/QtPath.h"
#include "windows/login/Form3.h"
#include "windows/lookup/Form2.h"
#include "windows/lookup/Form6.h"
#include "windows/main/Form1.h"
#include "windows/receipt/Form5.h"

#include <QString>
#include <QTimer>

#include <utility>

namespace dovra {

namespace {
const QString Started = QStringLiteral("프로그램이 정상적으로 실행되었습니다");

// Modal without a nested event loop: the lookup's socket events and the answer time-out keep arriving
// through the one loop of the program.
void OpenLookup(Form1& main, CardLookupWindow* window) {
    QObject::connect(window, &CardLookupWindow::Stepped, &main, &Form1::TakeLookup);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
}
} // namespace

void AttachChildWindows(Form1& main, const Services& services) {
    QObject::connect(&main, &Form1::ReceiptRequested, &main, [&main, &services](const Receipt& receipt) {
        auto* question = new Form5(services, receipt);
        QObject::connect(question, &Form5::Closed, &main, &Form1::ReturnToIdle);
        question->show();
    });
    QObject::connect(&main, &Form1::CardReaderRequested, &main, [&main, &services](Entry::Kind kind) {
        OpenLookup(main, new Form6(services, kind, &main));
    });
    QObject::connect(&main, &Form1::ManualEntryRequested, &main, [&main, &services](Entry::Kind kind) {
        OpenLookup(main, new Form2(services, kind, &main));
    });
}

Program::Program(const Services& services, QObject* parent) : QObject(parent), services_(services) {}

Form3* Program::loginWindow() const {
    return login_;
}
Form1* Program::mainWindow() const {
    return main_;
}

void Program::ShowLogin() {
    login_ = new Form3(services_);
    connect(login_, &Form3::LoginAccepted, this,
            GuardedSlot(services_, this, &Program::OpenMainWindow, &Program::RecoverFromFault));
    connect(login_, &Form3::Closed, this, &Program::EndWhenSettled);
    // Modal at the start and after every logout alike: nothing else of the program answers until a
    // merchant is logged in.
    login_->setWindowModality(Qt::ApplicationModal);
    login_->show();
}

void Program::OpenMainWindow() {
    // The main window reads the merchant's name only now, after the login has saved it.
    main_ = new Form1(services_);
    main_->AddResultLine(Started);
    AttachChildWindows(*main_, services_);
    connect(main_, &Form1::LoggedOut, this, &Program::ShowLogin);
    connect(main_, &Form1::Closed, this, &Program::EndWhenSettled);
    main_->show();
}

// A main window that could not be opened leaves the merchant at the login, not without any window.
void Program::RecoverFromFault() {
    delete main_.data();
    ShowLogin();
}

void Program::EndWhenSettled() {
    // A cancellation started by closing the window during an approval goes out before the program
    // ends, rather than at the next start; an unreachable server does not hold the program for long.
    constexpr int GraceMs = 5000;
    auto end = [this] {
        if (!std::exchange(ended_, true)) {
            emit Ended();
        }
    };
    // Nothing is on its way before the first login: an earlier run's cancellations wait for the next.
    AutomaticCancellation& cancellations = services_.exchanges.cancellations();
    if (cancellations.Settled()) {
        end();
        return;
    }
    connect(&cancellations, &AutomaticCancellation::AllSent, this, end);
    QTimer::singleShot(GraceMs, this, end);
}

std::filesystem::path FindCipherLibrary(const QString& programFolderText) {
    const std::filesystem::path programFolder = PathFromQt(programFolderText);
    std::filesystem::path beside = programFolder / TSeedLibraryFileName();
    if (std::filesystem::exists(beside)) {
        return beside;
    }
    return programFolder.parent_path() / "lib" / TSeedLibraryFileName();
}

} // namespace dovra
