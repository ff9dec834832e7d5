#include "server/AttemptLimit.h"

namespace dovra {

bool AttemptLimit::Locked(const std::string& key, std::int64_t now) const {
    auto found = entries_.find(key);
    return found != entries_.end() && found->second.lockedUntil > now;
}

bool AttemptLimit::Fail(const std::string& key, std::int64_t now) {
    Entry& entry = entries_[key];
    while (!entry.failures.empty() && entry.failures.front() <= now - period_) {
        entry.failures.pop_front();
    }
    entry.failures.push_back(now);
    if (entry.lockedUntil > now || static_cast<int>(entry.failures.size()) < allowed_) {
        return false;
    }
    entry.lockedUntil = now + period_;
    entry.failures.clear();
    return true;
}

std::vector<std::string> AttemptLimit::Expire(std::int64_t now) {
    std::vector<std::string> ended;
    for (auto it = entries_.begin(); it != entries_.end();) {
        Entry& entry = it->second;
        if (entry.lockedUntil != 0 && entry.lockedUntil <= now) {
            ended.push_back(it->first);
            entry.lockedUntil = 0;
        }
        while (!entry.failures.empty() && entry.failures.front() <= now - period_) {
            entry.failures.pop_front();
        }
        it = entry.lockedUntil == 0 && entry.failures.empty() ? entries_.erase(it) : std::next(it);
    }
    return ended;
}

} // namespace dovra
