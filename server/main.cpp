#include "server/ServerMain.h"

#include <QCommandLineParser>
#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("dovra-server");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "The reference approval server and manual lookup server for the Dovra client.");
    parser.addHelpOption();
    QCommandLineOption db("db", "The ledger, a SQLite file (created if missing).", "FILE");
    QCommandLineOption listen("listen", "Approval port address (default 127.0.0.1:15024).", "HOST:PORT",
                              "127.0.0.1:15024");
    QCommandLineOption lookup("lookup-listen", "Manual lookup port address (default 127.0.0.1:15025).",
                              "HOST:PORT", "127.0.0.1:15025");
    QCommandLineOption seed("seed-demo", "Load the demo merchant and cards into an empty ledger.");
    QCommandLineOption cipher("cipher", "The cipher library (default: the build's lib/ folder).", "PATH");
    parser.addOptions({db, listen, lookup, seed, cipher});
    parser.process(app);
    if (!parser.isSet(db)) {
        std::fprintf(stderr, "dovra-server: --db FILE is required\n");
        return 1;
    }

    dovra::ServerOptions options;
    options.database = parser.value(db).toStdString();
    options.listen = parser.value(listen);
    options.lookupListen = parser.value(lookup);
    options.seedDemo = parser.isSet(seed);
    options.cipherLibrary = parser.value(cipher).toStdString();
    return dovra::RunServer(options);
}
