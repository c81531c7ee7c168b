#include "cFile.h"
#include "exportGuard.h"
#include "mirtadll.h"
#include "ripemd160.h"

#include <cstring>
#include <vector>

using namespace hostutil;

static int RMDcalcBody(const char* path, char* output) {
    if (output) *output = '\0';
    CFile file = openFile(path, "rb");
    if (!file) {
        std::fprintf(stderr, "\nRMDbinary: cannot open file \"%s\".\n", path ? path : "(null)");
        return 0;
    }
    Ripemd160 digest;
    std::vector<char> chunk(kChunkSize);
    std::size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0)
        digest.update(chunk.data(), got);
    if (std::ferror(file.get())) return 0;  // e.g. a directory: opens, but reads fail

    std::string hex = Ripemd160::toHex(digest.finish());
    if (output) std::memcpy(output, hex.c_str(), hex.size() + 1);
    return 1;
}

extern "C" MIRTA_API int RMDcalc(const char* path, char* output) {
    return hostutil::guarded("RMDcalc", 0, [&] { return RMDcalcBody(path, output); });
}
