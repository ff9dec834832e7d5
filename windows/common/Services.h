#pragma once

#include "counter/Settings.h"
#include "exchanges/Exchanges.h"
#include "foundations/Clock.h"
#include "foundations/ProgramLog.h"
#include "windows/common/Seams.h"

namespace dovra {

// Everything a window needs from outside itself, handed down by the program. The windows start
// exchanges on `exchanges` and hear their outcomes; the counter's rules and state stay below.
struct Services {
    MessageBoxes& messages;
    TrayBackend& tray;
    PortalLauncher& portal;
    const Clock& clock;
    Exchanges& exchanges;
    ReceiptCanvasFactory receiptCanvas;

    const Settings& settings() const { return exchanges.settings(); }
    // The program's diagnostic log; the tools that borrow the windows write none.
    const ProgramLog& programLog() const { return exchanges.programLog(); }
};

// The merchant hears, once a run and later in the event loop, that the day's log could not be written,
// and of a fault in the automatic cancellations, which have no window of their own.
void TellRunWarnings(Exchanges& exchanges, MessageBoxes& messages);

} // namespace dovra
