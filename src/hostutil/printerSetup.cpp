// The printer set-up dialog and the default printer's names.
#include "exportGuard.h"
#include "mirtadll.h"
#include "printerNames.h"
#include "qtPart.h"

#include <cstdlib>

using namespace hostutil;

namespace {

// A dialog can be shown when the host runs Qt, or when some display is
// configured (the Qt part checks that it can really be reached).
bool dialogConceivable() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return hostHasQt();
}

}  // namespace

static int SetupDialogBody(MirtaPrinterSetup* setup) {
    if (!setup || !dialogConceivable()) return 0;
    const QtPart* qt = loadQtPart();
    if (!qt) return 0;

    PrintDialogRequest request{setup->flags, setup->copies, setup->fromPage, setup->toPage, {}};
    const int result = qt->printDialog(&request);
    if (result <= 0) return 0;

    const auto names = lookUpPrinter(request.queue);
    copyNames(names.value_or(PrinterNames{request.queue, "", ""}), setup->device, setup->driver,
              setup->port);
    setup->copies = static_cast<unsigned short>(request.copies);
    setup->fromPage = static_cast<unsigned short>(request.fromPage);
    setup->toPage = static_cast<unsigned short>(request.toPage);
    setup->deviceContext = nullptr;
    return result;
}

static int DefaultPrinterBody(char* device, char* driver, char* port) {
    copyNames(lookUpPrinter(nullptr).value_or(PrinterNames{}), device, driver, port);
    return 1;
}

extern "C" MIRTA_API int SetupDialog(MirtaPrinterSetup* setup) {
    return hostutil::guarded("SetupDialog", 0, [&] { return SetupDialogBody(setup); });
}

extern "C" MIRTA_API int DefaultPrinter(char* device, char* driver, char* port) {
    return hostutil::guarded("DefaultPrinter", 1, [&] { return DefaultPrinterBody(device, driver, port); });
}
