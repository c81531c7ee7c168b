#include "winError.h"
#include "zFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {
std::filesystem::path tempFile(const char* name) {
    auto dir = std::filesystem::temp_directory_path() / ("zfile_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}
}  // namespace

TEST(ZFile, ErrorsForEmptyPathClosedFileAndMissingDirectory) {
    zFile none;
    EXPECT_FALSE(none.open());
    EXPECT_EQ(none.lastError(), 87);
    std::size_t n = 0;
    char c;
    EXPECT_FALSE(none.write("x", 1, n));
    EXPECT_EQ(none.lastError(), 6);
    EXPECT_FALSE(none.read(&c, 1, n));
    EXPECT_EQ(none.lastError(), 6);
    EXPECT_EQ(none.errorText(), "The handle is invalid.");

    zFile missing("/nonexistent-dir/x.txt");
    EXPECT_FALSE(missing.open());
    EXPECT_EQ(missing.lastError(), 2);
}

TEST(ZFile, AppendModeCreatesAndAppendsCreateTruncates) {
    auto path = tempFile("a.txt");
    std::filesystem::remove(path);
    zFile f(path.c_str());
    ASSERT_TRUE(f.open());
    EXPECT_TRUE(f.writeString("one\n"));
    f.close();
    ASSERT_TRUE(f.open());
    EXPECT_TRUE(f.writeString("two\n"));
    EXPECT_EQ(f.size(), 8);
    f.close();
    ASSERT_TRUE(f.create());
    EXPECT_EQ(f.size(), 0);
    EXPECT_TRUE(f.writeString("three\n"));
    EXPECT_TRUE(f.sync());
    f.close();
    std::ifstream in(path);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(all, "three\n");
}

TEST(ZFile, LinesEndAtLineFeedOrZeroByteAndFitTheBuffer) {
    auto path = tempFile("lines.txt");
    {
        std::ofstream out(path, std::ios::binary);
        out << "first\nsec" << '\0' << "third line that is long\nlast";
    }
    zFile f(path.c_str());
    ASSERT_TRUE(f.open());
    ASSERT_TRUE(f.seekStart());
    char buf[10];
    ASSERT_TRUE(f.readLine(buf, sizeof buf));
    EXPECT_STREQ(buf, "first\n");
    ASSERT_TRUE(f.readLine(buf, sizeof buf));
    EXPECT_STREQ(buf, "sec");
    ASSERT_TRUE(f.readLine(buf, sizeof buf));
    EXPECT_STREQ(buf, "third lin");  // cut to the buffer, never past it
    zString rest;
    ASSERT_TRUE(f.readLineString(rest));
    EXPECT_EQ(rest, "e that is long\n");
    ASSERT_TRUE(f.readLineString(rest));
    EXPECT_EQ(rest, "last");
    EXPECT_FALSE(f.readLineString(rest));
}

TEST(WinError, ErrnoMapsToOneCodeSpaceWithTexts) {
    EXPECT_EQ(fnd::winErrorFromErrno(ENOENT), 2);
    EXPECT_EQ(fnd::winErrorFromErrno(EACCES), 5);
    EXPECT_EQ(fnd::winErrorFromErrno(EINVAL), 87);
    // An errno without a counterpart must not collide with a Windows code.
    int odd = fnd::winErrorFromErrno(EXDEV);
    EXPECT_NE(odd, EXDEV);
    EXPECT_FALSE(fnd::winErrorText(odd).empty());
    EXPECT_EQ(fnd::winErrorText(87), "The parameter is incorrect.");
    EXPECT_EQ(fnd::winErrorText(0), "");
}
