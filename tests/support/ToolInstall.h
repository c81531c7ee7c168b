#pragma once
// A throw-away installation of the command tool: the binary copied into its
// own directory next to a parameter file (it reads "cmdvorn.prm" from beside
// itself) and a separate data directory to run it from.
#include "ProcessRunner.h"
#include "TextFile.h"

#include <filesystem>
#include <memory>
#include <string>

class ToolInstall {
public:
    // `binary` is the built Cmdv32; `parameters` the text of cmdvorn.prm
    // (nothing is written when it is empty).
    ToolInstall(const std::string& binary, const std::string& parameters);
    ~ToolInstall();

    ProcessResult run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {},
                      std::chrono::seconds limit = std::chrono::seconds(60)) const;

    std::unique_ptr<RunningProcess> start(const std::vector<std::string>& args,
                                          const std::map<std::string, std::string>& env = {}) const;

    const std::filesystem::path& programDir() const { return programDir_; }
    const std::filesystem::path& dataDir() const { return dataDir_; }
    std::string readData(const std::string& name) const;  // "" when missing
    bool dataExists(const std::string& name) const;

private:
    std::filesystem::path root_, programDir_, dataDir_, binary_;
};

// Text checks the end-to-end tests share.
inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
inline int countOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}
