#include "server/ServerMain.h"

#include "server/ApprovalServer.h"
#include "server/DemoData.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace dovra {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) {
    stopRequested = 1;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "dovra-server: %s\n", message.c_str());
    return 1;
}

} // namespace

std::filesystem::path DefaultCipherLibrary() {
    std::filesystem::path here = QCoreApplication::applicationDirPath().toStdString();
    std::filesystem::path built = here / ".." / "lib" / TSeedLibraryFileName();
    return std::filesystem::exists(built) ? built : here / TSeedLibraryFileName();
}

int RunServer(const ServerOptions& options) {
    Endpoint approvals, lookups;
    QString error;
    if (!ParseEndpoint(options.listen, approvals, error) ||
        !ParseEndpoint(options.lookupListen, lookups, error)) {
        return Fail(error.toStdString());
    }
    CipherLibrary cipher;
    std::string cipherError;
    std::filesystem::path cipherFile =
        options.cipherLibrary.empty() ? DefaultCipherLibrary() : options.cipherLibrary;
    if (!cipher.Load(cipherFile, cipherError)) {
        return Fail("cannot load the cipher library: " + cipherError);
    }
    SystemClock clock;
    Ledger ledger;
    try {
        ledger.Open(options.database);
        if (options.seedDemo) {
            std::fprintf(stderr, "%s\n",
                         SeedDemo(ledger, clock)
                             ? "demo data loaded"
                             : "demo data not loaded: the ledger already has merchants or cards");
        }
    } catch (const DatabaseError& e) {
        return Fail(std::string("ledger ") + options.database.string() + ": " + e.what());
    }

    // Set before the "listening" line, so that whoever waits for it may stop the server at once. The
    // handler may only set a flag; the event loop looks at it often enough for a prompt stop.
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    ApprovalServer server(cipher, ledger, clock);
    if (!server.Listen(approvals, lookups, error)) {
        return Fail(error.toStdString());
    }
    Endpoint a = server.Address(Port::Approval), l = server.Address(Port::Lookup);
    std::printf("listening on %s for approvals and %s for manual lookups\n",
                FormatEndpoint(a.host, a.port).toUtf8().constData(),
                FormatEndpoint(l.host, l.port).toUtf8().constData());
    std::fflush(stdout);

    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&server] {
        if (stopRequested != 0) {
            stopRequested = 0;
            server.Stop();
            // Answers the ledger finished while stopping are queued; they go out before the loop ends.
            QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        }
    });
    watch.start(100);
    int code = QCoreApplication::exec();
    std::fprintf(stderr, "stopped\n");
    return code;
}

} // namespace dovra
