#ifndef MIRTA_HOST_H
#define MIRTA_HOST_H
/* The test host: loads libMIRTADLL with dlopen and finds every export with
 * dlsym, as a host application does. The pointer types come from the public
 * header, so a signature that drifts from it fails to compile. */
#include "mirtadll.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct MirtaApi {
    void* library;
    __typeof__(PrintFile)* PrintFile;
    __typeof__(SetupDialog)* SetupDialog;
    __typeof__(DefaultPrinter)* DefaultPrinter;
    __typeof__(VEDIVAR)* VEDIVAR;
    __typeof__(LoadBin)* LoadBin;
    __typeof__(SaveBin)* SaveBin;
    __typeof__(EqualBin)* EqualBin;
    __typeof__(RunPrg)* RunPrg;
    __typeof__(SetNewTime)* SetNewTime;
    __typeof__(ReplChar)* ReplChar;
    __typeof__(SortList)* SortList;
    __typeof__(SortList2)* SortList2;
    __typeof__(RMDcalc)* RMDcalc;
    __typeof__(ConvertToUnicode)* ConvertToUnicode;
    __typeof__(ConvertToAnsi)* ConvertToAnsi;
    __typeof__(sendSocketRequest)* sendSocketRequest;
    __typeof__(sendSocketRequestSized)* sendSocketRequestSized;
    __typeof__(threadSleep)* threadSleep;
} MirtaApi;

/* Loads the library at `path` and resolves all exports. Returns 0, or -1
 * with the loader's complaint in `error`. */
int mirtaLoad(MirtaApi* api, const char* path, char* error, unsigned long errorSize);

/* The library's path as built. */
const char* mirtaLibraryPath(void);

#ifdef __cplusplus
}
#endif
#endif
