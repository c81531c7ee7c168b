#pragma once
// A whole file as the tests check it: logs, result files, output files.
#include <filesystem>
#include <string>

// The file's bytes; "" when it is missing.
std::string readFile(const std::filesystem::path& path);
