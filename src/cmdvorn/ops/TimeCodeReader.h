#pragma once
// Reading the time service once the call is up: lines ending in a line
// feed, the first one discarded (it may have begun before the purge), then
// ten lines, each time code among them setting the PC clock when it is off.
#include "TimeCode.h"
#include "zCommDev.h"
#include "zLogger.h"

#include <functional>

class TimeCodeReader {
public:
    static constexpr int kLinesRead = 10;
    // The service sends a line a second; one late line is tolerated.
    static constexpr int kLineWaitMs = 2500;

    struct PcClock {
        std::function<fnd::LocalTime()> now = fnd::localNow;
        std::function<int(const fnd::LocalTime&)> set = fnd::setLocalClock;
    };

    struct Outcome {
        int timeCodes = 0;   // time code lines used
        long long difference = 0;  // PC minus service, the largest seen, in seconds
    };

    TimeCodeReader(zCommDev& link, zLogger& log, PcClock clock) : link_(link), log_(log), clock_(std::move(clock)) {}
    TimeCodeReader(zCommDev& link, zLogger& log) : TimeCodeReader(link, log, PcClock()) {}

    // The link's terminator is line feed while reading and restored after.
    Outcome read();

private:
    zCommDev& link_;
    zLogger& log_;
    PcClock clock_;
};
