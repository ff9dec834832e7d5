#pragma once

#include "counter/CounterFixture.h"
#include "support/Recorders.h"
#include "support/ScriptedPeer.h"
#include "support/TempFolder.h"
#include "windows/common/Services.h"
#include "windows/main/Form1.h"

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

// Real settings files in a temporary root, the real cipher library, a scripted peer on loopback and
// recorders for message boxes, tray and portal.
class WindowFixture : public testing::Test {
protected:
    WindowFixture() {
        std::string error;
        if (!cipher.Load(TSEED_LIBRARY, error)) {
            throw std::runtime_error(error);
        }
        peer = std::make_unique<ScriptedPeer>(cipher);
        dovra::WriteIni("PellumInfo", "dovra_Ip", "127.0.0.1", paths().DovraSetting());
        dovra::WriteIni("PellumInfo", "dovra_Port", std::to_string(peer->port()), paths().DovraSetting());
        dovra::WriteIni("PellumInfo", "dovra_Issue_code", "0301", paths().DovraSetting());
        services.lookupServer = {"127.0.0.1", peer->port()};
    }

    const dovra::SettingsPaths& paths() const { return services.paths; }

    std::string DayLog() const { return ReadWholeFile(paths().LogFolder() / "20261207.log"); }

    // The server's answer to business number 1208147521's login, texts in UTF-8.
    static std::string LoginAnswer(const char* code, const std::string& name,
                                   const std::string& address = "") {
        auto fit = [](const std::string& utf8, int width) {
            return dovra::PadField(dovra::Utf8ToCp949(utf8), false, width);
        };
        return std::string("0100030120261207093015093015052301") + code + "1208147521     1  " +
               fit(name, 60) + "000071052301" + std::string(20, ' ') + fit("02-3456-7890", 13) +
               fit(address, 150);
    }

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
    RecordingMessageBoxes messages;
    RecordingTray tray;
    RecordingPortal portal;
    dovra::Counter counter{clock, dovra::SettingsPaths{temp.path() / "Tarnwick"}};
    dovra::Services services{messages, tray, portal, clock, cipher, counter.settings().paths(),
                             counter,  {},   {}};
    std::unique_ptr<ScriptedPeer> peer;
};
