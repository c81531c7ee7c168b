#include "TimeCode.h"

#include <cstdio>
#include <cstring>

namespace vornsim {

std::string timeCodeLine(std::time_t when) {
    std::tm t{};
    localtime_r(&when, &t);
    std::string line(79, ' ');
    auto put = [&](std::size_t at, const char* fmt, int v) {
        char buf[8];
        int n = std::snprintf(buf, sizeof buf, fmt, v);
        line.replace(at, static_cast<std::size_t>(n), buf);
    };
    put(0, "%04d", t.tm_year + 1900);
    line[4] = '-';
    put(5, "%02d", t.tm_mon + 1);
    line[7] = '-';
    put(8, "%02d", t.tm_mday);
    put(11, "%02d", t.tm_hour);
    line[13] = ':';
    put(14, "%02d", t.tm_min);
    line[16] = ':';
    put(17, "%02d", t.tm_sec);
    put(25, "%d", t.tm_wday == 0 ? 7 : t.tm_wday);
    put(45, "%02d", t.tm_hour);
    line[77] = '*';
    line[78] = '\r';
    return line + "\n";
}

}  // namespace vornsim
