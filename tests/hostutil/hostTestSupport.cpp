#include "hostTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

const MirtaApi& mirta() {
    static MirtaApi api;
    static std::string error = [] {
        char text[512] = {};
        return mirtaLoad(&api, mirtaLibraryPath(), text, sizeof text) == 0 ? std::string()
                                                                            : std::string(text);
    }();
    if (!error.empty()) ADD_FAILURE() << "cannot load " << mirtaLibraryPath() << ": " << error;
    return api;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "hostutil_XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}
