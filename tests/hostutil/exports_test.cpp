// What a host sees of the library: exactly the documented exports, no Qt
// dependency, and the edge cases that need neither a server nor a display.
#include "hostTestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(Exports, OnlyTheDocumentedFunctionsAreVisible) {
    std::istringstream lines(
        commandOutput(std::string("nm -D --defined-only ") + mirtaLibraryPath()));
    std::set<std::string> visible;
    for (std::string address, type, name; lines >> address >> type >> name;) visible.insert(name);
    const std::set<std::string> expected = {
        "PrintFile", "SetupDialog",  "DefaultPrinter", "VEDIVAR",          "LoadBin",
        "SaveBin",   "EqualBin",     "RunPrg",         "SetNewTime",       "ReplChar",
        "SortList",  "SortList2",    "RMDcalc",        "ConvertToUnicode", "ConvertToAnsi",
        "sendSocketRequest", "sendSocketRequestSized", "threadSleep"};
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

// Memory running out inside an export must not end the host: the export
// returns its failure code. Run in a child whose address space is capped.
TEST(Exports, ExhaustedMemoryInsideAnExportDoesNotEndTheHost) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's own allocator ends the process instead of throwing";
#else
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string list;
        for (int i = 0; i < 8'000'000; ++i) list += "a,";  // 8 million items to sort
        long pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        const rlim_t cap = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (32u << 20);
        rlimit limit{cap, cap};
        setrlimit(RLIMIT_AS, &limit);
        char output[8];
        _exit(mirta().SortList2(list.c_str(), output) == -1 ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << (WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status)) : "exit " + std::to_string(WEXITSTATUS(status)));
#endif
}
