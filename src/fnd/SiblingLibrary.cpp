#include "SiblingLibrary.h"

#include <dlfcn.h>

namespace fnd {

bool libraryLoaded(const char* soname) {
    void* library = dlopen(soname, RTLD_LAZY | RTLD_NOLOAD);
    if (!library) return false;
    dlclose(library);  // drops only the reference RTLD_NOLOAD just took
    return true;
}

std::string siblingPath(const void* anchor, const char* fileName) {
    Dl_info self{};
    if (!anchor || !dladdr(anchor, &self) || !self.dli_fname || !*self.dli_fname) return {};
    const std::string path = self.dli_fname;
    return path.substr(0, path.find_last_of('/') + 1) + fileName;
}

void* openSibling(const void* anchor, const char* fileName) {
    const std::string path = siblingPath(anchor, fileName);
    return path.empty() ? nullptr : dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
}

void* librarySymbol(void* library, const char* name) { return library ? dlsym(library, name) : nullptr; }

}  // namespace fnd
