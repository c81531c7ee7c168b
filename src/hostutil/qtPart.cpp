#include "qtPart.h"

#include <dlfcn.h>
#include <mutex>
#include <string>

namespace hostutil {

bool hostHasQt() {
    void* widgets = dlopen("libQt6Widgets.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!widgets) return false;
    dlclose(widgets);  // drops only the reference RTLD_NOLOAD just took
    return true;
}

const QtPart* loadQtPart() {
    static std::once_flag once;
    static QtPart part{};
    static bool loaded = false;
    std::call_once(once, [] {
        // The part lives beside this library, wherever the host found it.
        Dl_info self{};
        if (!dladdr(reinterpret_cast<void*>(&loadQtPart), &self) || !self.dli_fname) return;
        std::string path = self.dli_fname;
        path = path.substr(0, path.find_last_of('/') + 1) + "libMIRTADLL-qt.so";
        void* lib = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
        if (!lib) return;
        part.showMessage = reinterpret_cast<MirtaQtShowMessage*>(dlsym(lib, "mirtaQtShowMessage"));
        part.printDialog = reinterpret_cast<MirtaQtPrintDialog*>(dlsym(lib, "mirtaQtPrintDialog"));
        part.waitCursor = reinterpret_cast<MirtaQtWaitCursor*>(dlsym(lib, "mirtaQtWaitCursor"));
        loaded = part.showMessage && part.printDialog && part.waitCursor;
    });
    return loaded ? &part : nullptr;
}

}  // namespace hostutil
