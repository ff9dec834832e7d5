#include "foundations/Clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace dovra {

LocalTime SystemClock::Now() const {
    std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string FormatDate(const LocalTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.year % 10000, t.month % 100, t.day % 100);
    return buf;
}

std::string FormatTime(const LocalTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return buf;
}

std::string FormatLogTime(const LocalTime& t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return buf;
}

} // namespace dovra
