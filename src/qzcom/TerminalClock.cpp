// TXTIME: the terminal's clock set from the PC's local time.
#include "Operations.h"

#include <ctime>

namespace qzcom {

int txTime(Session& s, const std::string&, std::string&) {
    char now[32];
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    std::strftime(now, sizeof now, "%y%m%d%H%M%S%w", &local);
    s.status(100, std::string("01") + now);
    return s.exchange("01", now);
}

}  // namespace qzcom
