#include "CommandString.h"
#include "Profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace qzcom;

namespace {

Profile profileOf(const std::string& text) {
    // One file per test process: ctest runs the tests of this file side by side.
    const std::string path = testing::TempDir() + "profile_test_" + std::to_string(getpid()) + ".ini";
    std::ofstream(path, std::ios::binary) << text;
    auto p = Profile::load(path);
    std::remove(path.c_str());
    return *p;
}

}  // namespace

TEST(QzProfile, SectionsAndKeysIgnoreCaseAndBlanks) {
    Profile p = profileOf("[other]\nA=1\n [ NX ] \r\n  serial_timeout =  7 \r\nB=\"quoted\"\n");
    EXPECT_TRUE(p.hasSection("nx"));
    EXPECT_FALSE(p.hasSection("missing"));
    EXPECT_EQ(p.value("nx", "SERIAL_TIMEOUT", "2"), "7");
    EXPECT_EQ(p.value("nx", "b", ""), "quoted");
    EXPECT_EQ(p.value("nx", "A", "none"), "none");
    EXPECT_EQ(p.value("other", "a", "none"), "1");
}

TEST(QzProfile, FirstOfRepeatedKeysWinsAndCommentsAreSkipped) {
    Profile p = profileOf("[nx]\n;NUM_RETRY=9\nNUM_RETRY=3\nNUM_RETRY=4\nEMPTY=\n");
    EXPECT_EQ(p.value("nx", "NUM_RETRY", "1"), "3");
    EXPECT_EQ(p.value("nx", "EMPTY", "5"), "");
}

TEST(QzProfile, MissingFileIsNothing) { EXPECT_FALSE(Profile::load("/no/such/dir/wqzcom.ini")); }

TEST(QzProfile, NumbersReadLikeTheCLibrary) {
    EXPECT_EQ(profileNumber("12"), 12);
    EXPECT_EQ(profileNumber("  -3x"), -3);
    EXPECT_EQ(profileNumber("abc"), 0);
    EXPECT_EQ(profileNumber(""), 0);
    EXPECT_EQ(profileNumber("99999999999999"), 2147483647);
}

TEST(QzCommandString, SplitsIntoWordAndParameter) {
    char text[] = "rxtransit,all,third";
    auto c = splitCommand(text);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->word, "RXTRANSIT");
    EXPECT_EQ(c->parameter, "all");
    char bare[] = "ver";
    EXPECT_EQ(splitCommand(bare)->parameter, "");
    char four[] = "A,B,C,D";
    EXPECT_FALSE(splitCommand(four));
    EXPECT_EQ(std::string(four, 7), std::string("A\0B\0C\0D", 7));
}
