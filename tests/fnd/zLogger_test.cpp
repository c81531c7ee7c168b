#include "zLogger.h"
#include "TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct ListSink : zLogSink {
    std::vector<std::string> lines;
    void addLogLine(const char* line) override { lines.emplace_back(line); }
};

class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("zlogger_" + std::to_string(getpid()) + "_" +
                                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        path = dir / "cmdvorn.log";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    static fnd::LocalTime at(int day, int hour, int minute, int ms) {
        // 7 December 2026 is a Monday.
        return fnd::LocalTime{2026, 12, day, hour, minute, 5, ms, (1 + day - 7 + 7) % 7};
    }

    std::filesystem::path dir, path;
};

}  // namespace

TEST_F(LoggerTest, EveryRunStartsWithADayHeaderAndLinesCarryTheTime) {
    for (int run = 0; run < 2; ++run) {
        zLogger log(path.c_str());
        log.setClock([] { return at(7, 9, 3, 42); });
        log.log("[Term %3.3d] Invio Cmd. %s", 5, "RE,NR");
        log.log(zLogger::Header, "Inizio sessione: \"%s\"", "-n5 -yr");
    }
    EXPECT_EQ(readFile(path),
              "#--- Monday, 07-Dec-2026 ---\n"
              "09:03:05:042 [Term 005] Invio Cmd. RE,NR\n"
              "#09:03:05:042 Inizio sessione: \"-n5 -yr\"\n"
              "#--- Monday, 07-Dec-2026 ---\n"
              "09:03:05:042 [Term 005] Invio Cmd. RE,NR\n"
              "#09:03:05:042 Inizio sessione: \"-n5 -yr\"\n");
}

TEST_F(LoggerTest, PassingMidnightWritesANewDayHeader) {
    zLogger log(path.c_str());
    fnd::LocalTime now = at(7, 23, 59, 999);
    log.setClock([&] { return now; });
    log.log("before");
    now = at(8, 0, 0, 1);
    log.log("after");
    log.log("same day");
    EXPECT_EQ(readFile(path),
              "#--- Monday, 07-Dec-2026 ---\n"
              "23:59:05:999 before\n"
              "#--- Tuesday, 08-Dec-2026 ---\n"
              "00:00:05:001 after\n"
              "00:00:05:001 same day\n");
}

TEST_F(LoggerTest, LevelZeroKeepsOnlyWarningsAndErrorsButStillTheHeader) {
    zLogger log(path.c_str());
    ListSink sink;
    log.setListSink(&sink);
    log.setClock([] { return at(7, 10, 0, 0); });
    log.setLogLevel(0);
    log.log("info dropped");
    log.log(zLogger::Header, "header dropped");
    log.log(zLogger::Warning, "warning kept");
    log.log(zLogger::Error, "error kept");
    EXPECT_EQ(readFile(path),
              "#--- Monday, 07-Dec-2026 ---\n"
              "10:00:05:000 warning kept\n"
              "10:00:05:000 error kept\n");
    EXPECT_EQ(sink.lines, (std::vector<std::string>{"10:00:05:000 warning kept", "10:00:05:000 error kept"}));
}

TEST_F(LoggerTest, ListShowsLinesCutTo125CharactersFileKeepsThemWhole) {
    zLogger log(path.c_str());
    ListSink sink;
    log.setListSink(&sink);
    std::string longText(300, 'x');
    log.log("%s", longText.c_str());
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0].size(), 125u);
    EXPECT_NE(readFile(path).find(longText), std::string::npos);

    std::string huge(5000, 'y');
    log.log("%s", huge.c_str());  // bounded by the line buffer, never overrun
    auto content = readFile(path);
    EXPECT_LT(content.size(), 300 + 5000u);
}

TEST_F(LoggerTest, UnwritableFileSwitchesFileOutputOffSilently) {
    {
        std::ofstream(path) << "old\n";
    }
    chmod(path.c_str(), 0444);
    chmod(dir.c_str(), 0555);
    zLogger log(path.c_str());
    ListSink sink;
    log.setListSink(&sink);
    log.log("first");
    log.log("second");
    chmod(dir.c_str(), 0755);
    EXPECT_EQ(sink.lines.size(), 2u);
    if (geteuid() != 0) {  // root ignores file permissions
        EXPECT_FALSE(log.writesToFile());
        EXPECT_EQ(readFile(path), "old\n");
    }
}

TEST_F(LoggerTest, FailedWriteSwitchesFileOutputOff) {
    // /dev/full accepts the open but fails every write: the root-proof case.
    zLogger log("/dev/full");
    ListSink sink;
    log.setListSink(&sink);
    log.log("lost");
    EXPECT_FALSE(log.writesToFile());
    log.log("still listed");
    EXPECT_EQ(sink.lines.size(), 2u);
}

TEST(LogVisibleText, FarEndControlBytesCannotBreakOrForgeALine) {
    EXPECT_EQ(zLogger::visible("plain text 123"), "plain text 123");
    EXPECT_EQ(zLogger::visible("a\r\nE 12:00:00 forged"), "a\\r\\nE 12:00:00 forged");
    EXPECT_EQ(zLogger::visible(std::string_view("\x05\x00\x7f\t", 4)), "\\x05\\x00\\x7f\\t");
    EXPECT_EQ(zLogger::visible("\xe0 back\\slash"), "\\xe0 back\\\\slash");
    EXPECT_EQ(zLogger::visible(""), "");
}

TEST_F(LoggerTest, ThreadsWriteWholeLinesEachLabelledWithItsTerminal) {
    constexpr int kThreads = 4;
    constexpr int kLines = 300;
    {
        zLogger log(path.c_str());
        std::vector<std::thread> threads;
        for (int t = 1; t <= kThreads; ++t)
            threads.emplace_back([&log, t] {
                zLogger::ThreadLabel label(zString::format("[Term %3.3d]", t).c_str());
                for (int i = 0; i < kLines; ++i) {
                    // Lines that carry the label keep it once; the others get it.
                    if (i % 2 == 0)
                        log.log("[Term %3.3d] line %d", t, i);
                    else
                        log.log("Write: line %d", i);
                }
            });
        for (auto& thread : threads) thread.join();
        log.log("after the threads");
    }
    const std::string text = readFile(path);
    const std::regex shape(R"(\d\d:\d\d:\d\d:\d\d\d \[Term 00(\d)\] (Write: )?line (\d+))");
    std::vector<int> next(kThreads + 1, 0);
    std::istringstream lines(text);
    std::string line;
    int seen = 0;
    while (std::getline(lines, line)) {
        if (line.starts_with("#---")) continue;
        if (line.ends_with("after the threads")) {
            EXPECT_EQ(line.find("[Term"), std::string::npos) << "the label ends with its thread's scope";
            continue;
        }
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, shape)) << line;
        const int t = std::stoi(m[1]);
        // Each thread's lines whole and in its own order.
        EXPECT_EQ(std::stoi(m[3]), next[t]++) << line;
        EXPECT_EQ(m[2].matched, std::stoi(m[3]) % 2 == 1) << line;
        ++seen;
    }
    EXPECT_EQ(seen, kThreads * kLines);
}

TEST_F(LoggerTest, ALabelNeverPushesALineOverItsLength) {
    zLogger log(path.c_str());
    zLogger::ThreadLabel label("[Term 001]");
    log.log("%s", std::string(2000, 'x').c_str());
    const std::string text = readFile(path);
    const std::size_t start = text.find('\n') + 1;
    const std::string line = text.substr(start, text.find('\n', start) - start);
    EXPECT_EQ(line.size(), static_cast<std::size_t>(zLogger::kLineSize - 1));
    EXPECT_NE(line.find(" [Term 001] xxx"), std::string::npos);
}

TEST_F(LoggerTest, AQuietExchangeSilencesItsOwnThreadOnly) {
    {
        zLogger log(path.c_str());
        log.setEnabled(false);
        log.log("hidden");
        std::thread other([&log] { log.log("another link's line"); });
        other.join();
        log.setEnabled(true);
        log.log("shown again");
    }
    const std::string text = readFile(path);
    EXPECT_EQ(text.find("hidden"), std::string::npos);
    EXPECT_NE(text.find("another link's line"), std::string::npos);
    EXPECT_NE(text.find("shown again"), std::string::npos);
}
