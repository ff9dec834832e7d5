#pragma once

#include "counter/Counter.h"
#include "foundations/Clock.h"
#include "foundations/ProgramLog.h"
#include "foundations/SettingsPaths.h"
#include "transport/CipherLibrary.h"
#include "transport/Envelope.h"
#include "windows/common/Seams.h"

#include <QString>

#include <memory>

namespace dovra {

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
    // The counter's rules, and what one request leaves behind for the next, shared by every window.
    Counter& counter;
    // The fixed server of the manual card lookup (a build-time setting in the program).
    ServerAddress lookupServer;
    ReceiptCanvasFactory receiptCanvas;
    std::shared_ptr<RunWarnings> warnings = std::make_shared<RunWarnings>();
    // The program's diagnostic log; the tools that borrow the windows write none.
    std::shared_ptr<const ProgramLog> programLog = std::make_shared<const ProgramLog>();

    EnvelopeContext Envelope() const { return {cipher, clock, paths.LogFolder()}; }
};

} // namespace dovra
