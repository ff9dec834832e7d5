#pragma once

#include <string>

namespace dovra {

struct LocalTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Every reading of the date or time goes through a Clock, so tests can stand at midnight or hold a
// second still.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalTime Now() const override;
};

class SettableClock final : public Clock {
public:
    explicit SettableClock(LocalTime t = {}) : now_(t) {}
    LocalTime Now() const override { return now_; }
    void Set(LocalTime t) { now_ = t; }

private:
    LocalTime now_;
};

std::string FormatDate(const LocalTime& t);    // YYYYMMDD
std::string FormatTime(const LocalTime& t);    // HHMMSS
std::string FormatLogTime(const LocalTime& t); // hh:nn:ss

} // namespace dovra
