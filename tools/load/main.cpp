#include "tools/load/LoadMain.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("dovra-load");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Runs terminals against dovra-server, each looping lookup, approval and cancellation on a card of "
        "its "
        "own, and measures the single-row durable commit rate of the ledger's disk for comparison.");
    parser.addHelpOption();
    QCommandLineOption connect("connect", "The server's approval port (default 127.0.0.1:15024).",
                               "HOST:PORT", "127.0.0.1:15024");
    QCommandLineOption terminals("terminals", "Concurrent terminals (default 32).", "N", "32");
    QCommandLineOption seconds("seconds", "How long to run (default 10).", "S", "10");
    QCommandLineOption db(
        "db",
        "The server's ledger file: the load's cards are added to it, and the commit floor is "
        "measured beside it.",
        "FILE");
    QCommandLineOption cipher("cipher", "The cipher library (default: the build's lib/ folder).", "PATH");
    parser.addOptions({connect, terminals, seconds, db, cipher});
    parser.process(app);

    dovra::LoadOptions options;
    options.connect = parser.value(connect);
    options.terminals = parser.value(terminals).toInt();
    options.seconds = parser.value(seconds).toDouble();
    options.ledger = parser.value(db).toStdString();
    options.cipherLibrary = parser.value(cipher).toStdString();
    if (options.terminals < 1 || options.terminals > 1000 || options.seconds <= 0) {
        std::fprintf(stderr, "dovra-load: --terminals must be 1 to 1000 and --seconds above 0\n");
        return 1;
    }
    if (options.ledger.empty()) {
        std::fprintf(stderr, "dovra-load: --db FILE is required: the server's ledger, where the load's cards "
                             "are added\n");
        return 1;
    }
    return dovra::RunLoadTool(options);
}
