#ifndef QZ_HOST_H
#define QZ_HOST_H
/* The test host: loads libwqzcom with dlopen and finds both exports with
 * dlsym, as a host application does. The pointer types come from the public
 * header, so a signature that drifts from it fails to compile. */
#include "wqzcom.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QzApi {
    void* library;
    __typeof__(QZCom)* QZCom;
    __typeof__(Qzcom)* Qzcom;
    __typeof__(QzcomStop)* QzcomStop;
} QzApi;

/* Loads the library at `path` and resolves every export. Returns 0, or -1
 * with the loader's complaint in `error`. */
int qzLoad(QzApi* api, const char* path, char* error, unsigned long errorSize);

/* The library's path as built. */
const char* qzLibraryPath(void);

#ifdef __cplusplus
}
#endif
#endif
