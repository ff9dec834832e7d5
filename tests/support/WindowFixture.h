#pragma once

#include "app/Program.h"
#include "counter/CounterFixture.h"
#include "support/Recorders.h"
#include "support/ScriptedPeer.h"
#include "support/TempFolder.h"
#include "windows/common/Services.h"
#include "windows/login/Form3.h"
#include "windows/main/Form1.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A control of a window by its name.
template <class Control = QWidget> Control* Find(const QObject* window, const char* name) {
    if (auto* control = window->findChild<Control*>(name)) {
        return control;
    }
    throw std::runtime_error(std::string("no control named ") + name);
}
inline void Click(const QObject* window, const char* name) {
    QTest::mouseClick(Find(window, name), Qt::LeftButton);
}
// The visible top-level window of a class, if one is shown.
template <class Window> Window* Shown() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<Window*>(window); found && found->isVisible()) {
            return found;
        }
    }
    return nullptr;
}
// Logs in as business number 1208147521 through the program's login window; the main window it opens.
inline dovra::Form1* LogInThrough(dovra::Program& program) {
    program.loginWindow()->Text1->setText("1208147521");
    program.loginWindow()->Text4->setText("2580");
    QTest::mouseClick(program.loginWindow()->btnLogin, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.mainWindow() != nullptr; }, 5000));
    return program.mainWindow();
}

// Real settings files in a temporary root, the real cipher library, a scripted peer on loopback and
// recorders for message boxes, tray and portal.
class WindowFixture : public testing::Test {
protected:
    // The settings root is a folder of that name in a temporary folder.
    explicit WindowFixture(const std::filesystem::path& rootName = "Tarnwick")
        : counter{clock, dovra::SettingsPaths{temp.path() / rootName}} {
        std::string error;
        if (!cipher.Load(TSEED_LIBRARY, error)) {
            throw std::runtime_error(error);
        }
        peer = std::make_unique<ScriptedPeer>(cipher);
        dovra::WriteIni("PellumInfo", "dovra_Ip", "127.0.0.1", paths().DovraSetting());
        dovra::WriteIni("PellumInfo", "dovra_Port", std::to_string(peer->port()), paths().DovraSetting());
        dovra::WriteIni("PellumInfo", "dovra_Issue_code", "0301", paths().DovraSetting());
        services.lookupServer = {"127.0.0.1", peer->port()};
        services.programLog = std::make_shared<const dovra::ProgramLog>(paths().ProgramLogFolder(), logClock);
    }

    const dovra::SettingsPaths& paths() const { return services.paths; }

    std::string DayLog() const { return ReadWholeFile(paths().LogFolder() / "20261207.log"); }
    std::string ProgramLogText() const { return ReadWholeFile(paths().ProgramLogFolder() / "20261207.log"); }

    // The main window as the card reader's lookup of card 9410000012345678 with these blocks leaves it.
    void LookUp(dovra::Form1& main, std::vector<CareBlock> blocks) {
        main.TakeLookup({dovra::LookupStep::Kind::CardSent, {"9410", "0000", "1234", "5678"}, {}});
        main.TakeLookup({dovra::LookupStep::Kind::Answered,
                         {},
                         counter.ReadCardAnswer(dovra::LookupSource::CardReader, dovra::Entry::Kind::Approval,
                                                CardAnswer("00", std::move(blocks)))});
    }

    TempFolder temp;
    dovra::CipherLibrary cipher;
    FaultyClock clock{{2026, 12, 7, 9, 30, 15}};
    dovra::SettableClock logClock{{2026, 12, 7, 9, 30, 15}}; // the program log's, which never fails
    RecordingMessageBoxes messages;
    RecordingTray tray;
    RecordingPortal portal;
    dovra::Counter counter;
    dovra::Services services{messages, tray, portal, clock, cipher, counter.settings().paths(),
                             counter,  {},   {}};
    std::unique_ptr<ScriptedPeer> peer;
};
