#pragma once
// A C stream that closes itself; a null path simply fails to open.
#include <cstdio>
#include <memory>

namespace hostutil {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using CFile = std::unique_ptr<std::FILE, FileCloser>;

inline CFile openFile(const char* path, const char* mode) {
    return CFile(path ? std::fopen(path, mode) : nullptr);
}

// Chunk size for streaming files: large enough to be fast, small enough that
// files of hundreds of MiB never sit in memory.
inline constexpr std::size_t kChunkSize = 64 * 1024;

}  // namespace hostutil
