#pragma once
// Helpers shared by the hostutil tests: the library loaded through the C
// test host, a private temporary folder, and whole-file reads and writes.
#include "mirtaHost.h"

#include <filesystem>
#include <string>

// The library, loaded once per test program; a load failure fails the test.
const MirtaApi& mirta();

class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    std::string path(const std::string& name) const { return (root_ / name).string(); }

private:
    std::filesystem::path root_;
};

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
