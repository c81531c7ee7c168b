#include "QtPart.h"

#include "SiblingLibrary.h"

namespace qzcom {
namespace {

// Loaded on first need only; the answer holds for the whole process.
const QtPart* loadPart() {
    static const QtPart part = [] {
        void* lib = fnd::openSibling(reinterpret_cast<const void*>(&loadPart), "libwqzcom-qt.so");
        return QtPart{fnd::librarySymbol<WqzQtShowMessage>(lib, "wqzQtShowMessage"),
                      fnd::librarySymbol<WqzQtOpenWindow>(lib, "wqzQtOpenWindow"),
                      fnd::librarySymbol<WqzQtCloseWindow>(lib, "wqzQtCloseWindow"),
                      fnd::librarySymbol<WqzQtUpdateWindow>(lib, "wqzQtUpdateWindow"),
                      fnd::librarySymbol<WqzQtPollStop>(lib, "wqzQtPollStop")};
    }();
    const bool complete =
        part.showMessage && part.openWindow && part.closeWindow && part.updateWindow && part.pollStop;
    return complete ? &part : nullptr;
}

}  // namespace

const QtPart* hostQtPart() { return fnd::libraryLoaded("libQt6Widgets.so.6") ? loadPart() : nullptr; }

}  // namespace qzcom
