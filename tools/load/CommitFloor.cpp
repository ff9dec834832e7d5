#include "tools/load/CommitFloor.h"

#include "server/Database.h"

#include <chrono>
#include <random>
#include <string>

namespace dovra {

double MeasureCommitFloor(const std::filesystem::path& folder, double seconds) {
    std::filesystem::path file =
        folder / ("dovra-load-floor-" + std::to_string(std::random_device{}()) + ".db");
    double rate = 0;
    {
        Database db;
        db.Open(file);
        db.Exec("PRAGMA journal_mode=WAL");
        db.Exec("PRAGMA synchronous=FULL");
        db.Exec("CREATE TABLE rows (id INTEGER PRIMARY KEY, amount INTEGER NOT NULL)");
        auto start = std::chrono::steady_clock::now();
        auto until = start + std::chrono::duration<double>(seconds);
        long commits = 0;
        while (std::chrono::steady_clock::now() < until) {
            db.Prepare("INSERT INTO rows (amount) VALUES (?)").Bind(commits).Run();
            ++commits;
        }
        rate = static_cast<double>(commits) /
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::error_code ignored;
        std::filesystem::remove(file.string() + suffix, ignored);
    }
    return rate;
}

} // namespace dovra
