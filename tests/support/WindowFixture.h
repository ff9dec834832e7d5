#pragma once

#include "foundations/AnsiText.h"
#include "foundations/Cp949.h"
#include "foundations/Ini.h"
#include "support/Recorders.h"
#include "support/ScriptedPeer.h"
#include "support/TempFolder.h"
#include "windows/common/Services.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

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

    std::string Setting(const char* section, const char* key) const {
        return dovra::ReadIni(section, key, paths().DovraSetting());
    }

    // A control of a window by its name.
    template <class Control = QWidget> static Control* Find(const QObject* window, const char* name) {
        auto* control = window->findChild<Control*>(name);
        if (control == nullptr) {
            throw std::runtime_error(std::string("no control named ") + name);
        }
        return control;
    }

    std::string DayLog() const { return ReadWholeFile(paths().LogFolder() / "20261207.log"); }

    // A header as the server echoes it, with the given message type and code.
    static std::string Header(const char* msgType, const char* respCode, const std::string& merchantNo) {
        return std::string(msgType) + "0301" + "20261207" + "093015" + "093015052301" + respCode +
               dovra::PadField(merchantNo, false, 15);
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
