#include "zClock.h"
#include "TextFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

TEST(ZClock, SettingGoesToPcclockFileAndRejectsImpossibleTimes) {
    auto path = std::filesystem::temp_directory_path() / ("pcclock_" + std::to_string(getpid()));
    std::filesystem::remove(path);
    setenv("PCCLOCK_FILE", path.c_str(), 1);

    fnd::LocalTime t{2026, 3, 29, 2, 5, 7, 42};
    EXPECT_EQ(fnd::setLocalClock(t), 0);
    t.millisecond = 999;
    EXPECT_EQ(fnd::setLocalClock(t), 0);
    fnd::LocalTime bad{2026, 13, 1, 0, 0, 0, 0};
    EXPECT_NE(fnd::setLocalClock(bad), 0);
    fnd::LocalTime noSuchDay{2027, 2, 29, 0, 0, 0, 0};
    EXPECT_NE(fnd::setLocalClock(noSuchDay), 0);
    fnd::LocalTime leapDay{2028, 2, 29, 0, 0, 0, 0};
    EXPECT_EQ(fnd::setLocalClock(leapDay), 0);

    EXPECT_EQ(readFile(path), "2026-03-29 02:05:07.042\n2026-03-29 02:05:07.999\n2028-02-29 00:00:00.000\n");
    unsetenv("PCCLOCK_FILE");
    std::filesystem::remove(path);
}
