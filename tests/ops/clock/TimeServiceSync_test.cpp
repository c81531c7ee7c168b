// The -sync command over a scripted line: its outcome lines, its error
// codes, and the PC clock it sets through PCCLOCK_FILE.
#include "JobOutcome.h"
#include "ClockCommands.h"
#include "ScriptedLine.h"
#include "SyncDifference.h"
#include "TerminalTime.h"
#include "TextFile.h"
#include "zDeadline.h"
#include "Vorn.h"
#include "InProcessRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

// The service's line for now plus an offset, made when it is read. It reads
// the clock the tool reads (time() lags it by up to a tick), and it is never
// made in the last tenth of a second, so the second does not turn before the
// tool compares it with the PC clock a moment later.
std::string lineForNow(int offsetSeconds) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    constexpr long kLastTenth = 900'000'000L;
    if (now.tv_nsec >= kLastTenth) {
        fnd::sleepMs(static_cast<int>((1'000'000'000L - now.tv_nsec) / 1'000'000L) + 1);
        clock_gettime(CLOCK_REALTIME, &now);
    }
    fnd::LocalTime t = fnd::toLocalTime(now.tv_sec + offsetSeconds);
    return codeLine(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

int lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

class TimeServiceSync : public ::testing::Test {
protected:
    void SetUp() override { setenv("PCCLOCK_FILE", pcClockFile.c_str(), 1); }
    void TearDown() override {
        unsetenv("PCCLOCK_FILE");
        std::filesystem::remove(pcClockFile);
        std::filesystem::remove(logPath);
    }

    bool run(ScriptedLine* line) {
        VornSettings settings;
        settings.name = "Time_Sync";
        Vorn service(settings);
        service.setLink(line);
        service.setLogger(&inProcess.log);
        CMDARG_C job;
        job.terminal = &service;
        job.id = CommandId::PcClockFromTimeService;
        job.run = &inProcess.context;
        pcClockFromTimeServiceCommand(job);
        bool ok = outcomeOf(job) == RunError::None;
        result = job.result;
        opened = line && line->isOpen();
        return ok;
    }
    bool logged(const std::string& text) { return readFile(logPath).find(text) != std::string::npos; }

    std::string base = std::filesystem::temp_directory_path() / ("sync_" + std::to_string(getpid()));
    std::string logPath = base + ".log";
    std::string pcClockFile = base + "_pcclock.txt";
    InProcessRun inProcess{logPath};
    RunError result = static_cast<RunError>(-1);
    bool opened = true;
};

}  // namespace

TEST_F(TimeServiceSync, RightPcClockIsLeftAlone) {
    ScriptedLine line("", [] { return lineForNow(0); });
    EXPECT_TRUE(run(&line));
    EXPECT_EQ(result, RunError::None);
    EXPECT_TRUE(logged("System: Inizio Sincronizzazione Orologio"));
    EXPECT_TRUE(logged("System: Sincronizzazione Orologio Completata - nessuna differenza")) << readFile(logPath);
    EXPECT_EQ(readFile(pcClockFile), "");
    EXPECT_FALSE(opened);  // the call is ended
}

TEST_F(TimeServiceSync, WrongPcClockTakesTheServicesTime) {
    const int offset = 3600;
    std::vector<std::string> sent;
    ScriptedLine line("", [&] { return sent.emplace_back(lineForNow(offset)); });
    EXPECT_TRUE(run(&line));
    EXPECT_EQ(result, RunError::None);
    // A second may turn between the line and the look at the PC clock.
    auto difference = loggedSyncDifference(readFile(logPath));
    ASSERT_TRUE(difference) << readFile(logPath);
    EXPECT_NEAR(*difference, -offset, 1);
    std::string set = readFile(pcClockFile);
    EXPECT_EQ(lines(set), 10);
    // The first line after the call is answered is thrown away; the next one sets the clock.
    ASSERT_GE(sent.size(), 2u);
    const std::string& first = sent[1];
    EXPECT_EQ(set.substr(0, 24), first.substr(0, 10) + " " + first.substr(11, 8) + ".000\n");
    // Each time code line is logged as it came.
    EXPECT_TRUE(logged(first.substr(0, 78)));
}

TEST_F(TimeServiceSync, NoTimeCodeLineIsAModemError) {
    ScriptedLine line("ATDT\r\nCONNECT\r\n" + codeLine(2026, 1, 1, 1, 1, 1).substr(2));
    EXPECT_FALSE(run(&line));
    EXPECT_EQ(result, RunError::Modem);
    EXPECT_TRUE(logged("System: Errore Sincronizzazione Orologio - nessun CTD msg. ricevuto !"));
    EXPECT_EQ(readFile(pcClockFile), "");
}

TEST_F(TimeServiceSync, WithoutALineOrACallNothingIsRead) {
    EXPECT_FALSE(run(nullptr));
    EXPECT_EQ(result, RunError::InvalidParameter);
    EXPECT_TRUE(logged("System: Errore Sincronizzazione Orologio. Non so che modem usare !"));

    ScriptedLine refused(codeLine(2026, 1, 1, 1, 1, 1));
    refused.opens = false;
    EXPECT_FALSE(run(&refused));
    EXPECT_EQ(result, RunError::InvalidParameter);
    EXPECT_EQ(refused.bytesRead, 0);
}
