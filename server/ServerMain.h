#pragma once

#include <QString>

#include <filesystem>

namespace dovra {

struct ServerOptions {
    std::filesystem::path database;
    QString listen = "127.0.0.1:15024";
    QString lookupListen = "127.0.0.1:15025";
    bool seedDemo = false;
    std::filesystem::path cipherLibrary; // empty: the build's lib/ folder, else beside the program
};

// The build's lib/ folder beside the program's bin/, else the program's own folder.
std::filesystem::path DefaultCipherLibrary();

// Opens the ledger, loads the cipher library, listens on both ports and serves until SIGINT or SIGTERM.
// Needs a QCoreApplication; returns the process's exit code.
int RunServer(const ServerOptions& options);

} // namespace dovra
