#include "printerNames.h"

#include <cups/cups.h>

#include <algorithm>
#include <cstring>

namespace hostutil {

namespace {

constexpr std::size_t kMaxNameLength = 128;

void copyCut(const std::string& text, char* buffer) {
    if (!buffer) return;
    const std::size_t n = std::min(text.size(), kMaxNameLength);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace

std::optional<PrinterNames> lookUpPrinter(const char* queue) {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue, nullptr);
    if (!dest) return std::nullopt;
    auto option = [dest](const char* name) {
        const char* value = cupsGetOption(name, dest->num_options, dest->options);
        return std::string(value ? value : "");
    };
    PrinterNames names{dest->name, option("printer-make-and-model"), option("device-uri")};
    cupsFreeDests(1, dest);
    return names;
}

void copyNames(const PrinterNames& names, char* device, char* driver, char* port) {
    copyCut(names.device, device);
    copyCut(names.driver, driver);
    copyCut(names.port, port);
}

}  // namespace hostutil
