#include "tools/load/LoadMain.h"

#include "server/Endpoint.h"
#include "server/Ledger.h"
#include "server/ServerMain.h"
#include "tools/load/CommitFloor.h"
#include "tools/load/LoadRun.h"

#include <cstdio>

namespace dovra {

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "dovra-load: %s\n", message.c_str());
    return 1;
}

void Print(const LoadReport& r, double floor, const LoadOptions& options) {
    double approvals = static_cast<double>(r.approvals) / r.seconds;
    std::printf("load: %d terminals for %.1f s against %s\n", options.terminals, r.seconds,
                options.connect.toUtf8().constData());
    std::printf("exchanges: %lld answered, %.1f/s (lookups %lld, approvals %lld, cancellations %lld)\n",
                static_cast<long long>(r.exchanges), static_cast<double>(r.exchanges) / r.seconds,
                static_cast<long long>(r.lookups), static_cast<long long>(r.approvals),
                static_cast<long long>(r.cancellations));
    std::printf("approvals: %.1f/s, %.2f of the floor\n", approvals, floor > 0 ? approvals / floor : 0.0);
    std::printf("latency: p50 %.2f ms, p99 %.2f ms\n", r.p50Ms, r.p99Ms);
    std::string refusals;
    for (const auto& [what, n] : r.refusals) {
        refusals += " " + what + ": " + std::to_string(n) + ";";
    }
    std::printf("refusals:%s\nfailures: %lld\n", refusals.empty() ? " none" : refusals.c_str(),
                static_cast<long long>(r.failures));
}

} // namespace

int RunLoadTool(const LoadOptions& options) {
    Endpoint server;
    QString error;
    if (!ParseEndpoint(options.connect, server, error)) {
        return Fail(error.toStdString());
    }
    CipherLibrary cipher;
    std::string cipherError;
    if (!cipher.Load(options.cipherLibrary.empty() ? DefaultCipherLibrary() : options.cipherLibrary,
                     cipherError)) {
        return Fail("cannot load the cipher library: " + cipherError);
    }

    LoadSettings settings;
    settings.target = {server.host, server.port, 10000, {}};
    settings.seconds = options.seconds;
    double floor = 0;
    try {
        Ledger ledger;
        ledger.Open(options.ledger);
        settings.cards = ProvideLoadCards(ledger, options.terminals);
        ledger.Close();
        floor = MeasureCommitFloor(std::filesystem::absolute(options.ledger).parent_path(), 2.0);
    } catch (const std::exception& e) {
        return Fail(options.ledger.string() + ": " + e.what());
    }
    std::printf("floor: %.0f single-row durable commits/s (WAL, synchronous=FULL) beside %s\n", floor,
                options.ledger.string().c_str());
    std::fflush(stdout);
    Print(RunLoad(cipher, settings), floor, options);
    return 0;
}

} // namespace dovra
