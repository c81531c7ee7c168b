// What a host sees of the library: exactly the seventeen exports, no Qt
// dependency, and the edge cases that need neither a server nor a display.
#include "hostTestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
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

TEST(Exports, OnlyTheSeventeenFunctionsAreVisible) {
    std::istringstream lines(
        commandOutput(std::string("nm -D --defined-only ") + mirtaLibraryPath()));
    std::set<std::string> visible;
    for (std::string address, type, name; lines >> address >> type >> name;) visible.insert(name);
    const std::set<std::string> expected = {
        "PrintFile", "SetupDialog",  "DefaultPrinter", "VEDIVAR",          "LoadBin",
        "SaveBin",   "EqualBin",     "RunPrg",         "SetNewTime",       "ReplChar",
        "SortList",  "SortList2",    "RMDcalc",        "ConvertToUnicode", "ConvertToAnsi",
        "sendSocketRequest", "threadSleep"};
    EXPECT_EQ(visible, expected);
}

TEST(Exports, LibraryDoesNotNeedQt) {
    const std::string needed = commandOutput(std::string("readelf -d ") + mirtaLibraryPath());
    ASSERT_NE(needed.find("NEEDED"), std::string::npos);
    EXPECT_EQ(needed.find("Qt"), std::string::npos) << needed;
}

TEST(Exports, SetupDialogWithoutDisplayIsCancelledAndLoadsNoQt) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
    char device[129] = "d", driver[129] = "r", port[129] = "p";
    MirtaPrinterSetup setup{device, driver, port, 1, 1, 1, 0, nullptr};
    EXPECT_EQ(mirta().SetupDialog(&setup), 0);
    EXPECT_EQ(mirta().SetupDialog(nullptr), 0);
    EXPECT_STREQ(device, "d");
    EXPECT_EQ(dlopen("libQt6Widgets.so.6", RTLD_LAZY | RTLD_NOLOAD), nullptr);
}

TEST(Exports, SetupRecordLayoutIsPackedWithPointerSizedAddresses) {
    EXPECT_EQ(sizeof(MirtaPrinterSetup), 3 * sizeof(void*) + 3 * 2 + 4 + sizeof(void*));
    EXPECT_EQ(offsetof(MirtaPrinterSetup, copies), 3 * sizeof(void*));
    EXPECT_EQ(offsetof(MirtaPrinterSetup, flags), 3 * sizeof(void*) + 6);
}

TEST(Exports, PrintFileOfAMissingFileSaysSoOnStandardError) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(mirta().PrintFile("anyqueue", nullptr, "/no/such/file.txt"), 0);
    EXPECT_EQ(mirta().PrintFile("anyqueue", nullptr, nullptr), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Div Uvedad: Non posso aprire il '/no/such/file.txt' per leggerlo.\n"
              "Div Uvedad: Non posso aprire il '(null)' per leggerlo.\n");
}

TEST(Exports, DatabaseFunctionsWithoutConnectionGiveMinusOne) {
    EXPECT_EQ(mirta().LoadBin(nullptr, "INSERT INTO t VALUES (?)", "/etc/hostname"), -1);
    EXPECT_EQ(mirta().SaveBin(nullptr, "SELECT 1", "/tmp/x"), -1);
    EXPECT_EQ(mirta().EqualBin(nullptr, "t", "1", "/etc/hostname"), -1);
}
