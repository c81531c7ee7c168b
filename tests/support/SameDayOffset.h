#pragma once
// A clock offset for tests of time-of-day differences: the given number of
// seconds ahead, or behind when ahead would reach another date within the
// next minute, so a difference taken on the time of day alone is the whole
// offset whenever the suite runs.
#include <ctime>

inline int sameDayOffset(int seconds) {
    std::time_t now = std::time(nullptr);
    std::tm today{}, ahead{};
    localtime_r(&now, &today);
    std::time_t later = now + seconds + 60;
    localtime_r(&later, &ahead);
    return ahead.tm_yday == today.tm_yday ? seconds : -seconds;
}
