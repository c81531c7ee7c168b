#include "WireLog.h"

#include "Telegram.h"

#include <chrono>
#include <ctime>

namespace vornsim {

WireLog::~WireLog() {
    if (file_) std::fclose(file_);
}

bool WireLog::open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

void WireLog::line(std::string_view endpoint, std::string_view what, std::string_view raw) {
    if (!file_) return;
    auto now = std::chrono::system_clock::now();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    std::time_t secs = static_cast<std::time_t>(ms / 1000);
    std::tm utc{};
    gmtime_r(&secs, &utc);
    char stamp[40];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
    std::string text = std::string(stamp) + "." + std::to_string(1000 + ms % 1000).substr(1) + "Z " +
                       std::string(endpoint) + " " + std::string(what);
    if (!raw.empty()) text += " | " + escapeBytes(raw);
    text += "\n";
    std::fputs(text.c_str(), file_);
    std::fflush(file_);
}

}  // namespace vornsim
