#include "QtPart.h"

#include <dlfcn.h>

#include <mutex>
#include <string>

namespace qzcom {
namespace {

bool hostHasQt() {
    void* widgets = dlopen("libQt6Widgets.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!widgets) return false;
    dlclose(widgets);  // drops only the reference RTLD_NOLOAD just took
    return true;
}

const QtPart* loadPart() {
    static std::once_flag once;
    static QtPart part{};
    static bool loaded = false;
    std::call_once(once, [] {
        Dl_info self{};
        if (!dladdr(reinterpret_cast<void*>(&loadPart), &self) || !self.dli_fname) return;
        std::string path = self.dli_fname;
        path = path.substr(0, path.find_last_of('/') + 1) + "libwqzcom-qt.so";
        void* lib = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
        if (!lib) return;
        part.showMessage = reinterpret_cast<WqzQtShowMessage*>(dlsym(lib, "wqzQtShowMessage"));
        part.openWindow = reinterpret_cast<WqzQtOpenWindow*>(dlsym(lib, "wqzQtOpenWindow"));
        part.closeWindow = reinterpret_cast<WqzQtCloseWindow*>(dlsym(lib, "wqzQtCloseWindow"));
        part.updateWindow = reinterpret_cast<WqzQtUpdateWindow*>(dlsym(lib, "wqzQtUpdateWindow"));
        part.pollStop = reinterpret_cast<WqzQtPollStop*>(dlsym(lib, "wqzQtPollStop"));
        loaded = part.showMessage && part.openWindow && part.closeWindow && part.updateWindow &&
                 part.pollStop;
    });
    return loaded ? &part : nullptr;
}

}  // namespace

const QtPart* hostQtPart() { return hostHasQt() ? loadPart() : nullptr; }

}  // namespace qzcom
