// What a host sees of the library: the two entry points, the stop request
// and nothing else.
#include "QzHostTest.h"

#include <cstdio>
#include <set>
#include <sstream>

namespace {

std::string commandOutput(const std::string& command) {
    std::string output;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

}  // namespace

TEST(QzExports, OnlyTheEntryPointsAndStopAreVisible) {
    std::istringstream lines(commandOutput(std::string("nm -D --defined-only ") + qzLibraryPath()));
    std::set<std::string> visible;
    for (std::string address, type, name; lines >> address >> type >> name;) visible.insert(name);
    EXPECT_EQ(visible, (std::set<std::string>{"QZCom", "Qzcom", "QzcomStop"}));
}

TEST(QzExports, LibraryDoesNotNeedQt) {
    const std::string needed = commandOutput(std::string("readelf -d ") + qzLibraryPath());
    ASSERT_NE(needed.find("NEEDED"), std::string::npos);
    EXPECT_EQ(needed.find("Qt"), std::string::npos) << needed;
}
