#pragma once
// The optional Qt part of the library, libMIRTADLL-qt.so, loaded from beside
// libMIRTADLL.so only when needed, so hosts without Qt or a display still
// load the library. These are its entry points.
#include <cstdint>

namespace hostutil {

struct PrintDialogRequest {
    std::uint32_t flags;  // the MIRTA_PD_* flags of the set-up record
    int copies;           // in/out
    int fromPage;         // in/out; also the lowest page allowed
    int toPage;           // in/out; also the highest page allowed
    char queue[256];      // out: the chosen queue
};

}  // namespace hostutil

extern "C" {
// Shows a message box when a Qt application runs on the calling thread.
// 1 shown, 0 no box could be shown.
using MirtaQtShowMessage = int(const char* title, const char* text);
// Shows the print dialog. 1 confirmed, 0 cancelled, -1 no dialog possible.
using MirtaQtPrintDialog = int(hostutil::PrintDialogRequest* request);
// Shows (1) or restores (0) the wait cursor of a Qt application running on
// the calling thread; does nothing otherwise.
using MirtaQtWaitCursor = void(int on);
}

namespace hostutil {

struct QtPart {
    MirtaQtShowMessage* showMessage;
    MirtaQtPrintDialog* printDialog;
    MirtaQtWaitCursor* waitCursor;
};

// Whether the host has Qt Widgets loaded already (no loading happens).
bool hostHasQt();

// Loads the Qt part once; null when it or Qt cannot be loaded.
const QtPart* loadQtPart();

}  // namespace hostutil
