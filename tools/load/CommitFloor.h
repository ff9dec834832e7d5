#pragma once

#include <filesystem>

namespace dovra {

// Single-row SQLite commits per second with the ledger's own durability (WAL, synchronous=FULL), in a
// scratch file in the given folder: the rate a server that synced every approval alone could not beat.
double MeasureCommitFloor(const std::filesystem::path& folder, double seconds);

} // namespace dovra
