#pragma once

#include <QString>

#include <filesystem>

namespace dovra {

struct LoadOptions {
    QString connect = "127.0.0.1:15024";
    int terminals = 32;
    double seconds = 10;
    std::filesystem::path ledger;        // the server's ledger file
    std::filesystem::path cipherLibrary; // empty: the build's lib/ folder
};

// Adds the load's cards to the ledger, measures the commit floor beside it, runs the terminals and
// prints the figures. Returns the process's exit code.
int RunLoadTool(const LoadOptions& options);

} // namespace dovra
