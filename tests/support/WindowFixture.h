#pragma once

#include "app/Program.h"
#include "counter/CounterFixture.h"
#include "exchanges/AutomaticCancellation.h"
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
    Find<QLineEdit>(program.loginWindow(), "Text1")->setText("1208147521");
    Find<QLineEdit>(program.loginWindow(), "Text4")->setText("2580");
    Click(program.loginWindow(), "btnLogin");
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.mainWindow() != nullptr; }, 5000));
    return program.mainWindow();
}

// Real settings files in a temporary root, the real cipher library, a scripted peer on loopback and
// recorders for message boxes, tray and portal.
class WindowFixture : public testing::Test {
protected:
    // The settings root is a folder of that name in a temporary folder.
    explicit WindowFixture(const std::filesystem::path& rootName = "Tarnwick")
        : counter{clock, dovra::SettingsPaths{temp.path() / rootName}},
          exchanges{cipher,
                    clock,
                    counter.settings().paths(),
                    {"127.0.0.1", peer->port()},
                    std::make_shared<const dovra::ProgramLog>(counter.settings().paths().ProgramLogFolder(),
                                                              logClock),
                    [this](const std::filesystem::path& file) { return remover(file); }} {
        std::string error;
        if (!cipher.Load(TSEED_LIBRARY, error)) {
            throw std::runtime_error(error);
        }
        dovra::WriteIni("PellumInfo", "dovra_Ip", "127.0.0.1", paths().DovraSetting());
        dovra::WriteIni("PellumInfo", "dovra_Port", std::to_string(peer->port()), paths().DovraSetting());
        dovra::WriteIni("PellumInfo", "dovra_Issue_code", "0301", paths().DovraSetting());
        dovra::TellRunWarnings(exchanges, messages);
        // The automatic cancellation's wait for an answer the peer does not give, driven.
        exchanges.findChild<QTimer*>("answerWait")->setInterval(20);
    }

    const dovra::SettingsPaths& paths() const { return exchanges.settings().paths(); }
    dovra::CancellationJournal& journal() { return exchanges.cancellations().queue().journal(); }

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
    std::unique_ptr<ScriptedPeer> peer = std::make_unique<ScriptedPeer>(cipher);
    // The journal's file removal: the disk's own, unless a test stands in for a virus scanner.
    dovra::CancellationJournal::FileRemover remover = dovra::CancellationJournal::RemoveFile;
    dovra::Counter counter; // to read answers as the lookup windows hand them on
    dovra::Exchanges exchanges;
    dovra::Services services{messages, tray, portal, clock, exchanges, {}};
};
