#pragma once
// The three names a host knows a printer by, taken from a CUPS destination:
// device = queue name, driver = make and model, port = device URI.
#include <optional>
#include <string>

namespace hostutil {

struct PrinterNames {
    std::string device;
    std::string driver;
    std::string port;
};

// A null queue name means the default destination; nothing when there is none.
std::optional<PrinterNames> lookUpPrinter(const char* queue);

// Copies each name, cut to 128 bytes, into a host buffer of 129 bytes; null
// buffers are skipped.
void copyNames(const PrinterNames& names, char* device, char* driver, char* port);

}  // namespace hostutil
