#include "qzHost.h"

#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

int qzLoad(QzApi* api, const char* path, char* error, unsigned long errorSize) {
    memset(api, 0, sizeof *api);
    api->library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!api->library) {
        snprintf(error, errorSize, "%s", dlerror());
        return -1;
    }
    *(void**)(&api->QZCom) = dlsym(api->library, "QZCom");
    *(void**)(&api->Qzcom) = dlsym(api->library, "Qzcom");
    *(void**)(&api->QzcomStop) = dlsym(api->library, "QzcomStop");
    if (!api->QZCom || !api->Qzcom || !api->QzcomStop) {
        snprintf(error, errorSize, "export QZCom, Qzcom or QzcomStop missing");
        return -1;
    }
    return 0;
}

const char* qzLibraryPath(void) { return WQZCOM_PATH; }
