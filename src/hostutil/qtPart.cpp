#include "qtPart.h"

#include "SiblingLibrary.h"

namespace hostutil {

bool hostHasQt() { return fnd::libraryLoaded("libQt6Widgets.so.6"); }

const QtPart* loadQtPart() {
    // The part lives beside this library, wherever the host found it; it is
    // looked for once.
    static const QtPart part = [] {
        void* lib = fnd::openSibling(reinterpret_cast<const void*>(&loadQtPart), "libMIRTADLL-qt.so");
        return QtPart{fnd::librarySymbol<MirtaQtShowMessage>(lib, "mirtaQtShowMessage"),
                      fnd::librarySymbol<MirtaQtPrintDialog>(lib, "mirtaQtPrintDialog"),
                      fnd::librarySymbol<MirtaQtWaitCursor>(lib, "mirtaQtWaitCursor")};
    }();
    return part.showMessage && part.printDialog && part.waitCursor ? &part : nullptr;
}

}  // namespace hostutil
