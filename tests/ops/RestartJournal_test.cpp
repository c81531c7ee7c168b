// The restart journal's format and decisions, and its file on the disk.
#include "RestartJournal.h"
#include "zFile.h"
#include "zLogger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string journalText(std::initializer_list<std::string> bodies) {
    std::string text;
    for (const auto& b : bodies) text += journal::line(b);
    return text;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

class JournalFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_);
        fs::permissions(dir_, fs::perms(0750));
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path dir_ = fs::temp_directory_path() / ("journal_" + std::to_string(::getpid()));
    zLogger log_{zString((dir_ / "test.log").c_str())};
};

}  // namespace

TEST(RestartJournalFormat, ReadsWhatItWrites) {
    journal::Contents c;
    ASSERT_TRUE(journal::parse(journalText({"cmdvorn-journal 1", "T 7 JO 300 00000000000000ff",
                                            "F 2049 77 1700000000123456789 120 dati/tmb file.txt", "D 300"}),
                               c));
    EXPECT_TRUE(c.begun);
    EXPECT_EQ(c.terminal, 7);
    EXPECT_EQ(c.object, "JO");
    EXPECT_EQ(c.count, 300);
    EXPECT_EQ(c.digest, 0xffu);
    ASSERT_EQ(c.files.size(), 1u);
    EXPECT_EQ(c.files[0].device, 2049u);
    EXPECT_EQ(c.files[0].inode, 77u);
    EXPECT_EQ(c.files[0].born, 1700000000123456789);
    EXPECT_EQ(c.files[0].size, 120);
    EXPECT_EQ(c.files[0].path, "dati/tmb file.txt");
    EXPECT_TRUE(c.deletePending);
    EXPECT_EQ(c.saved, 300);
}

TEST(RestartJournalFormat, ALineCutShortByTheKillWasNeverActedOn) {
    std::string text = journalText({"cmdvorn-journal 1", "T 7 RE 3 0000000000000001"}) + "D 3*";
    journal::Contents c;
    ASSERT_TRUE(journal::parse(text, c));
    EXPECT_TRUE(c.begun);
    EXPECT_FALSE(c.deletePending);
    // Killed while the journal was being created.
    EXPECT_TRUE(journal::parse("", c));
    EXPECT_FALSE(c.begun);
    EXPECT_TRUE(journal::parse("cmdvorn-jo", c));
    EXPECT_FALSE(c.begun);
}

TEST(RestartJournalFormat, DamagedUnknownOrDisorderedLinesMakeItCorrupt) {
    journal::Contents c;
    std::string good = journalText({"cmdvorn-journal 1", "T 7 RE 3 0000000000000001"});
    std::string damaged = good;
    damaged[damaged.size() - 30] ^= 1;
    EXPECT_FALSE(journal::parse(damaged, c));
    EXPECT_FALSE(journal::parse(journalText({"cmdvorn-journal 2"}), c));
    EXPECT_FALSE(journal::parse("garbage", c));
    EXPECT_FALSE(journal::parse(journalText({"cmdvorn-journal 1", "F 1 2 0 3 tmb.txt"}), c));  // no T before
    EXPECT_FALSE(journal::parse(good + journal::line("D 3") + journal::line("F 1 2 0 3 tmb.txt"), c));
    EXPECT_FALSE(journal::parse(good + journal::line("D 3") + journal::line("D 3"), c));
    EXPECT_FALSE(journal::parse(journalText({"cmdvorn-journal 1", "T 7 XX 3 0000000000000001"}), c));
    EXPECT_FALSE(journal::parse(good + "T 7 RE 3 1\n", c));  // no check
}

TEST(RestartJournalDecisions, CutsOnlyTheSameFileNoShorterThanItsMark) {
    journal::FileMark mark{10, 20, 500, 100, "tmb.txt"};
    EXPECT_EQ(journal::bytesToCut(mark, {true, 10, 20, 500, 160}), 60);
    EXPECT_EQ(journal::bytesToCut(mark, {true, 10, 20, 500, 100}), 0);
    EXPECT_EQ(journal::bytesToCut(mark, {true, 10, 20, 500, 99}), -1);   // truncated
    EXPECT_EQ(journal::bytesToCut(mark, {true, 10, 21, 500, 160}), -1);  // replaced
    EXPECT_EQ(journal::bytesToCut(mark, {true, 11, 20, 500, 160}), -1);  // another file system
    EXPECT_EQ(journal::bytesToCut(mark, {true, 10, 20, 501, 160}), -1);  // inode used again
    EXPECT_EQ(journal::bytesToCut(mark, {false, 0, 0, 0, 0}), -1);       // moved away
    // Without birth times the rest of the identity decides.
    EXPECT_EQ(journal::bytesToCut(mark, {true, 10, 20, 0, 160}), 60);
}

TEST(RestartJournalDecisions, PendingDeleteCutsOnlyWhileTheFirstRecordIsStillThere) {
    journal::Contents c;
    c.begun = true;
    c.digest = 42;
    EXPECT_TRUE(journal::linesStillOnTerminal(c, nullptr));
    c.deletePending = true;
    std::uint64_t same = 42, other = 43;
    EXPECT_TRUE(journal::linesStillOnTerminal(c, &same));
    EXPECT_FALSE(journal::linesStillOnTerminal(c, &other));
    EXPECT_FALSE(journal::linesStillOnTerminal(c, nullptr));
}

TEST(RestartJournalDecisions, DigestTellsRecordsApart) {
    const unsigned char a[] = {1, 2, 3}, b[] = {1, 2, 4};
    EXPECT_EQ(journal::digest(a, 3), journal::digest(a, 3));
    EXPECT_NE(journal::digest(a, 3), journal::digest(b, 3));
}

TEST_F(JournalFileTest, NothingOnTheDiskUntilTheFirstRecordAndNothingAfterwards) {
    const zString data(dir_.c_str());
    const fs::path path = journal::pathOf(data, 3);
    {
        RestartJournal j(data, 3, "RE", 2, log_, "[Term 003]");
        EXPECT_FALSE(fs::exists(dir_ / ".cmdvorn"));
        j.begin(0x1234);
        j.begin(0x9999);  // only the first counts
        EXPECT_EQ(fs::status(dir_ / ".cmdvorn").permissions(), fs::perms(0750));
        EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));

        zFile out(zString((dir_ / "tmb.txt").c_str()));
        ASSERT_TRUE(out.open());
        std::size_t written = 0;
        ASSERT_TRUE(out.write("abc\n", 4, written) && out.flush());
        j.appending(out);
        j.appending(out);  // marked once
        EXPECT_TRUE(j.deletePending(2));

        journal::Contents c;
        ASSERT_TRUE(journal::parse(readAll(path), c)) << readAll(path);
        EXPECT_EQ(c.terminal, 3);
        EXPECT_EQ(c.count, 2);
        EXPECT_EQ(c.digest, 0x1234u);
        ASSERT_EQ(c.files.size(), 1u);
        EXPECT_EQ(c.files[0].size, 4);
        EXPECT_EQ(c.files[0].path, (dir_ / "tmb.txt").string());
        EXPECT_TRUE(c.deletePending);
        EXPECT_EQ(c.saved, 2);
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(dir_ / ".cmdvorn"));
}

TEST_F(JournalFileTest, AJournalThatCannotBeWrittenIsGoneAndTheDeleteGoesAsBefore) {
    const zString data(dir_.c_str());
    // A plain file where the folder should be.
    std::ofstream(dir_ / ".cmdvorn") << "x";
    RestartJournal j(data, 3, "RE", 2, log_, "[Term 003]");
    j.begin(1);
    EXPECT_TRUE(j.deletePending(2));
    EXPECT_NE(readAll(dir_ / "test.log").find("[Term 003] Giornale di ripresa"), std::string::npos);
}
