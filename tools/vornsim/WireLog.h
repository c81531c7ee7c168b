#pragma once
// One text line per request, reply and refused input, for tests to read:
//   2026-12-07T15:04:05.123Z tcp:40123#1 RX #3 node=05 seq=01 "RE,GE,1f" | \x0105000102RE,GE,1f1a2b\x04
// The raw bytes after " | " are escaped: printable ASCII as is, others \xHH.
// Without a file it writes nothing.
#include <cstdio>
#include <string>
#include <string_view>

namespace vornsim {

class WireLog {
public:
    WireLog() = default;
    ~WireLog();
    WireLog(const WireLog&) = delete;
    WireLog& operator=(const WireLog&) = delete;

    bool open(const std::string& path);
    void line(std::string_view endpoint, std::string_view what, std::string_view raw = {});

private:
    std::FILE* file_ = nullptr;
};

}  // namespace vornsim
