// A replacement file reaches its target whole or not at all.
#include "zReplacingFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class ReplacingFileTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    int entries() {
        int n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
        return n;
    }
    fs::path dir = fs::temp_directory_path() / ("replacing_" + std::to_string(getpid()));
    fs::path target = dir / "out.txt";
};

}  // namespace

TEST_F(ReplacingFileTest, TargetChangesOnlyAtTheCommit) {
    std::ofstream(target) << "old";
    ::chmod(target.c_str(), 0640);
    zReplacingFile file(target.string());
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write("new ", 4));
    ASSERT_TRUE(file.write("text", 4));
    EXPECT_EQ(read(target), "old");
    EXPECT_EQ(entries(), 2);
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(read(target), "new text");
    EXPECT_EQ(entries(), 1);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);  // the replaced file's permissions
}

TEST_F(ReplacingFileTest, AbandonedReplacementLeavesTheTargetAndNoTemporaryFile) {
    std::ofstream(target) << "old";
    {
        zReplacingFile file(target.string());
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("half", 4));
    }
    EXPECT_EQ(read(target), "old");
    EXPECT_EQ(entries(), 1);
}

TEST_F(ReplacingFileTest, MissingDirectoryOrNoTargetCannotOpen) {
    zReplacingFile missing((dir / "no" / "such").string());
    EXPECT_FALSE(missing.open());
    EXPECT_FALSE(missing.commit());
    zReplacingFile none("");
    EXPECT_FALSE(none.open());
    EXPECT_EQ(entries(), 0);
}
