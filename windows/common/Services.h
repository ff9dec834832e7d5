#pragma once

#include "foundations/Clock.h"
#include "foundations/SettingsPaths.h"
#include "transport/CipherLibrary.h"
#include "transport/Envelope.h"
#include "transport/SharedTelegrams.h"
#include "windows/common/Seams.h"

#include <QString>

#include <memory>
#include <optional>

namespace dovra {

struct ServerAddress {
    QString host;
    quint16 port = 0;
};

// What the merchant is told once a run, whichever window comes upon it.
struct RunWarnings {
    bool logNotWrittenTold = false;
};

// Everything a window needs from outside itself, handed down by the program.
struct Services {
    MessageBoxes& messages;
    TrayBackend& tray;
    PortalLauncher& portal;
    const Clock& clock;
    const CipherLibrary& cipher;
    SettingsPaths paths;
    SharedTelegrams& telegrams;
    // The fixed server of the manual card lookup (a build-time setting in the program).
    ServerAddress lookupServer;
    ReceiptCanvasFactory receiptCanvas;
    std::shared_ptr<RunWarnings> warnings = std::make_shared<RunWarnings>();

    EnvelopeContext Envelope() const { return {cipher, clock, paths.LogFolder()}; }
};

// [PellumInfo] dovra_Ip and dovra_Port, read anew at each use; nothing when either is unusable.
std::optional<ServerAddress> ReadApprovalServer(const SettingsPaths& paths);

} // namespace dovra
