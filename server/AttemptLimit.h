#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace dovra {

// Failed attempts per key (an address and what it tries); too many within a period lock the key for
// that period. Kept in memory only: a refusal leaves nothing behind in the ledger. Times are seconds on
// any one continuous count.
class AttemptLimit {
public:
    AttemptLimit(int allowed, std::int64_t period) : allowed_(allowed), period_(period) {}

    bool Locked(const std::string& key, std::int64_t now) const;
    // Counts a failure; true when it is the one that locks the key.
    bool Fail(const std::string& key, std::int64_t now);
    void Clear(const std::string& key) { entries_.erase(key); }
    // Forgets what has aged out; returns the keys whose lock has ended.
    std::vector<std::string> Expire(std::int64_t now);

private:
    struct Entry {
        std::deque<std::int64_t> failures;
        std::int64_t lockedUntil = 0; // 0: not locked
    };

    int allowed_;
    std::int64_t period_;
    std::unordered_map<std::string, Entry> entries_;
};

} // namespace dovra
