#include "Settings.h"

#include "Profile.h"

#include <cstdlib>

namespace qzcom {
namespace {

constexpr const char* kFileName = "wqzcom.ini";
constexpr const char* kSection = "nx";

std::string systemDirectory() {
    const char* dir = std::getenv("WQZCOM_SYSTEM_DIR");
    return dir && *dir ? dir : "/etc";
}

}  // namespace

Settings loadSettings(const std::string& hostDirectory) {
    std::optional<Profile> profile = Profile::load(systemDirectory() + "/" + kFileName);
    if (!profile || !profile->hasSection(kSection))
        profile = Profile::load(hostDirectory + "/" + kFileName);
    if (!profile) profile = Profile();

    auto number = [&](const char* key, const char* fallback) {
        return profileNumber(profile->value(kSection, key, fallback));
    };
    Settings s;
    s.found = profile->hasSection(kSection);
    s.serialTimeout = number("SERIAL_TIMEOUT", "2");
    s.ethernetTimeout = number("ETHERNET_TIMEOUT", "60");
    s.rxConnectionTimeout = number("RX_CONNECTION_TIMEOUT", "10");
    s.causLikeSofter = number("CAUS_LIKE_SOFTER", "0");
    s.writeIdNumber = number("WRITE_ID_NUMBER", "0");
    s.trnAppendMode = number("TRN_APPEND_MODE", "0");
    s.disableMessageBox = number("DISABLE_MESSAGE_BOX", "0");
    s.disableWindow = number("DISABLE_WINDOW", "0");
    s.debugEnable = number("DEBUG_ENABLE", "0");
    s.modemConnectTimeout = number("MODEM_CONNECT_TIMEOUT", "60");
    s.numRetry = number("NUM_RETRY", "1");
    s.transferTimeout = number("TRANSFER_TIMEOUT", "0");
    return s;
}

}  // namespace qzcom
