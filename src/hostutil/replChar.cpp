#include "cFile.h"
#include "exportGuard.h"
#include "mirtadll.h"

#include <algorithm>
#include <vector>

using namespace hostutil;

static int ReplCharBody(const char* inPath, const char* outPath, int find,
                                  int replacement) {
    CFile in = openFile(inPath, "rb");
    if (!in) return 0;  // checked first, so a missing input leaves the output alone
    CFile out = openFile(outPath, "wb");
    if (!out) return 0;

    const char from = static_cast<char>(find);
    const char to = static_cast<char>(replacement);
    std::vector<char> chunk(kChunkSize);
    std::size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), in.get())) > 0) {
        std::replace(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got), from, to);
        if (std::fwrite(chunk.data(), 1, got, out.get()) != got) return 0;
    }
    return 1;
}

extern "C" MIRTA_API int ReplChar(const char* inPath, const char* outPath, int find,
                                  int replacement) {
    return hostutil::guarded("ReplChar", 0, [&] { return ReplCharBody(inPath, outPath, find, replacement); });
}
