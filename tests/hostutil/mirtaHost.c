#include "mirtaHost.h"

#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#define RESOLVE(name)                                                        \
    do {                                                                     \
        *(void**)(&api->name) = dlsym(api->library, #name);                 \
        if (!api->name) {                                                    \
            snprintf(error, errorSize, "export %s missing", #name);          \
            return -1;                                                       \
        }                                                                    \
    } while (0)

int mirtaLoad(MirtaApi* api, const char* path, char* error, unsigned long errorSize) {
    memset(api, 0, sizeof *api);
    api->library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!api->library) {
        snprintf(error, errorSize, "%s", dlerror());
        return -1;
    }
    RESOLVE(PrintFile);
    RESOLVE(SetupDialog);
    RESOLVE(DefaultPrinter);
    RESOLVE(VEDIVAR);
    RESOLVE(LoadBin);
    RESOLVE(SaveBin);
    RESOLVE(EqualBin);
    RESOLVE(RunPrg);
    RESOLVE(SetNewTime);
    RESOLVE(ReplChar);
    RESOLVE(SortList);
    RESOLVE(SortList2);
    RESOLVE(RMDcalc);
    RESOLVE(ConvertToUnicode);
    RESOLVE(ConvertToAnsi);
    RESOLVE(sendSocketRequest);
    RESOLVE(sendSocketRequestSized);
    RESOLVE(threadSleep);
    return 0;
}

const char* mirtaLibraryPath(void) { return MIRTADLL_PATH; }
