// RunPrg, SetNewTime and threadSleep through the loaded library.
#include "hostTestSupport.h"
#include "zClock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

TEST(RunPrg, RunsTheProgramWithItsArgumentsAndWaits) {
    TempDir dir;
    const std::string out = dir.path("out");
    setenv("MIRTA_RUNPRG_VALUE", "from-host", 1);
    const std::string script = "sleep 0.2; echo \"$0|$1|$MIRTA_RUNPRG_VALUE\" > " + out;
    EXPECT_EQ(mirta().RunPrg("/bin/sh", "sh", "-c", script.c_str(), "zero", "one"), 0);
    EXPECT_EQ(readBytes(out), "zero|one|from-host\n");  // written before RunPrg returned

    // A null argument ends the list: "late" never reaches the program.
    const std::string countArgs = "echo \"$0 $#\" > " + out;
    EXPECT_EQ(mirta().RunPrg("/bin/sh", "sh", "-c", countArgs.c_str(), nullptr, "late"), 0);
    EXPECT_EQ(readBytes(out), "sh 0\n");
}

TEST(RunPrg, ExitStatusIsNotReported) {
    EXPECT_EQ(mirta().RunPrg("/bin/sh", "sh", "-c", "exit 7", nullptr, nullptr), 0);
    EXPECT_EQ(mirta().RunPrg("/bin/sh", "sh", "-c", "kill -9 $$", nullptr, nullptr), 0);
}

TEST(RunPrg, ProgramsThatCannotStartGiveTheErrorNumber) {
    TempDir dir;
    EXPECT_EQ(mirta().RunPrg(dir.path("missing").c_str(), "x", nullptr, nullptr, nullptr, nullptr),
              ENOENT);
    EXPECT_EQ(mirta().RunPrg("sh", "sh", "-c", "true", nullptr, nullptr), ENOENT);  // no PATH search
    writeBytes(dir.path("plain"), "#!/bin/sh\n");
    EXPECT_EQ(mirta().RunPrg(dir.path("plain").c_str(), "plain", nullptr, nullptr, nullptr,
                             nullptr),
              EACCES);
    EXPECT_EQ(mirta().RunPrg(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), EINVAL);
}

namespace {

class SetNewTime : public ::testing::Test {
protected:
    void SetUp() override { setenv("PCCLOCK_FILE", clockFile.c_str(), 1); }
    void TearDown() override { unsetenv("PCCLOCK_FILE"); }
    std::string lines() { return readBytes(clockFile); }
    static std::string today() {
        const fnd::LocalTime now = fnd::localNow();
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", now.year, now.month, now.day);
        return text;
    }
    TempDir dir;
    std::string clockFile = dir.path("pcclock");
};

}  // namespace

TEST_F(SetNewTime, GivenFieldsReplaceTheCurrentOnes) {
    EXPECT_EQ(mirta().SetNewTime(2027, 3, 4, 5, 6), 1);
    EXPECT_EQ(lines().substr(0, 17), "2027-03-04 05:06:");
    std::filesystem::remove(clockFile);

    // Zero date fields keep the date, zero hour and minute are midnight.
    EXPECT_EQ(mirta().SetNewTime(0, 0, 0, 0, 0), 1);
    EXPECT_EQ(lines().substr(0, 17), today() + " 00:00:");
}

TEST_F(SetNewTime, NegativeValuesKeepTheClockAsItIs) {
    const fnd::LocalTime before = fnd::localNow();
    EXPECT_EQ(mirta().SetNewTime(-1, -1, -1, -1, -1), 1);
    const std::string line = lines();
    ASSERT_EQ(line.size(), 24u);
    EXPECT_EQ(line.substr(0, 10), today());
    const int hour = std::atoi(line.substr(11, 2).c_str());
    const int minute = std::atoi(line.substr(14, 2).c_str());
    EXPECT_LE(std::abs((hour * 60 + minute) - (before.hour * 60 + before.minute)), 1);
}

TEST_F(SetNewTime, ArgumentsCountAsSigned16Bit) {
    EXPECT_EQ(mirta().SetNewTime(65536 + 2028, 65536 + 2, 29, 65535, 65536 + 30), 1);
    const std::string line = lines();
    EXPECT_EQ(line.substr(0, 10), "2028-02-29");
    EXPECT_EQ(line.substr(13, 4), ":30:");
}

TEST_F(SetNewTime, ImpossibleTimesAreRefusedAndNotWritten) {
    EXPECT_EQ(mirta().SetNewTime(2027, 13, 1, 0, 0), 0);
    EXPECT_EQ(mirta().SetNewTime(2027, 2, 29, 0, 0), 0);  // not a leap year
    EXPECT_EQ(mirta().SetNewTime(2027, 4, 31, 0, 0), 0);
    EXPECT_EQ(mirta().SetNewTime(2027, 1, 1, 24, 0), 0);
    EXPECT_EQ(mirta().SetNewTime(2027, 1, 1, 0, 60), 0);
    EXPECT_FALSE(std::filesystem::exists(clockFile));
}

TEST(ThreadSleep, SleepsAndReturnsTheNumber) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(mirta().threadSleep(120), 120);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(120));
    EXPECT_EQ(mirta().threadSleep(0), 0);
    EXPECT_EQ(mirta().threadSleep(-5), -5);
}
