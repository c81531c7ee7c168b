// Spools of commands that ran beside each other: appended in order, a file
// that cannot take lines refused before the terminal deletes anything, and
// what a killed run left appended once by the next.
#include "OutputSpool.h"
#include "InProcessRun.h"
#include "RestartJournal.h"
#include "TextFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class OutputSpoolTest : public ::testing::Test {
protected:
    OutputSpoolTest() {
        fs::create_directories(dir_);
        run_.state.dataDirectory = zString(dir_.c_str());
    }
    ~OutputSpoolTest() override { fs::remove_all(dir_); }

    // Writes lines into `spool` as a download's writer does: through the files, redirected.
    void writeThrough(SpoolSet& spool, const fs::path& output, std::initializer_list<const char*> lines,
                      bool startAfresh = false) {
        TmbFiles_c files;
        files.setRedirect(&spool);
        zFile* file = files.get(zString(output.c_str()), startAfresh, report_);
        ASSERT_NE(file, nullptr);
        for (const char* line : lines) {
            std::size_t written = 0;
            ASSERT_TRUE(file->write(line, std::strlen(line), written));
        }
        ASSERT_TRUE(files.flushAndSync(report_));
    }
    bool folderEmpty() const {
        const fs::path folder = journal::directoryOf(zString(dir_.c_str()));
        return !fs::exists(folder) || fs::is_empty(folder);
    }
    std::string spoolName(int n) const { return "0000000000000001-" + std::to_string(n); }

    fs::path dir_ = fs::temp_directory_path() / ("spool_" + std::to_string(::getpid()));
    InProcessRun run_{(dir_ / "test.log").string()};
    std::vector<RunError> reported_;
    ReportError report_ = [this](RunError error, const char*, const char*) { reported_.push_back(error); };
};

}  // namespace

TEST_F(OutputSpoolTest, SpoolsGoToTheirFilesInTheOrderTheyAreCommitted) {
    const fs::path punches = dir_ / "timbrature.txt";
    const fs::path access = dir_ / "accessi.txt";
    writeFile(punches, "earlier run\n");
    SpoolSet first(run_.state.dataDirectory, spoolName(1), 1);
    SpoolSet second(run_.state.dataDirectory, spoolName(2), 2);
    // The second terminal's lines are written first, as a faster link would.
    writeThrough(second, punches, {"t2 a\n", "t2 b\n"}, true);
    writeThrough(first, punches, {"t1 a\n"}, true);
    writeThrough(first, access, {"t1 access\n"});
    // Nothing reaches the files before the commit; a file that starts afresh is not emptied early.
    EXPECT_EQ(readFile(punches), "earlier run\n");

    TmbFiles_c files;
    ASSERT_TRUE(first.commit(files, report_));
    ASSERT_TRUE(second.commit(files, report_));
    files.closeAll();
    // Emptied once, at its first use of the run, as one download after another does.
    EXPECT_EQ(readFile(punches), "t1 a\nt2 a\nt2 b\n");
    EXPECT_EQ(readFile(access), "t1 access\n");
    EXPECT_TRUE(reported_.empty());
    EXPECT_TRUE(folderEmpty());
}

TEST_F(OutputSpoolTest, AFileThatCannotTakeLinesIsRefusedAtOnce) {
    SpoolSet spool(run_.state.dataDirectory, spoolName(1), 1);
    TmbFiles_c files;
    files.setRedirect(&spool);
    EXPECT_EQ(files.get(zString((dir_ / "missing" / "tmb.dat").c_str()), false, report_), nullptr);
    EXPECT_EQ(reported_, std::vector<RunError>{RunError::FileOpen});
    EXPECT_TRUE(spool.empty());
}

TEST_F(OutputSpoolTest, ASpoolThatCannotBeAppendedStaysForTheNextRun) {
    SpoolSet spool(run_.state.dataDirectory, spoolName(1), 1);
    writeThrough(spool, "/dev/full", {"kept\n"});
    TmbFiles_c files;
    EXPECT_FALSE(spool.commit(files, report_));
    EXPECT_EQ(reported_.back(), RunError::FileWrite);
    EXPECT_FALSE(folderEmpty());
    // Nor can the next run: it says so and keeps them.
    recoverSpools(run_.context);
    EXPECT_FALSE(folderEmpty());
    EXPECT_NE(readFile(dir_ / "test.log").find("non accodate a /dev/full"), std::string::npos);
}

TEST_F(OutputSpoolTest, WhatAKilledRunSpooledIsAppendedOnceInOrder) {
    const fs::path punches = dir_ / "timbrature.txt";
    writeFile(punches, "before\n");
    {
        SpoolSet second(run_.state.dataDirectory, spoolName(2), 2);
        SpoolSet first(run_.state.dataDirectory, spoolName(1), 1);
        writeThrough(second, punches, {"t2\n"});
        writeThrough(first, punches, {"t1\n"});
    }  // killed before either was appended
    recoverSpools(run_.context);
    EXPECT_EQ(readFile(punches), "before\nt1\nt2\n");
    EXPECT_TRUE(folderEmpty());
    // Nothing is left to append a second time.
    recoverSpools(run_.context);
    EXPECT_EQ(readFile(punches), "before\nt1\nt2\n");
}

TEST_F(OutputSpoolTest, ASpoolAppendedHalfWayIsCutBackAndAppendedWhole) {
    const fs::path punches = dir_ / "timbrature.txt";
    writeFile(punches, "before\n");
    const std::string folder = journal::directoryOf(run_.state.dataDirectory);
    fs::create_directories(folder);
    const journal::FileNow mark = journal::fileNow(punches.c_str());
    std::ofstream(folder + "/" + spoolName(1) + ".0") << "t1 a\nt1 b\n";
    char markLine[128];
    std::snprintf(markLine, sizeof markLine, "C 0 %llu %llu %lld %lld", static_cast<unsigned long long>(mark.device),
                  static_cast<unsigned long long>(mark.inode), static_cast<long long>(mark.born),
                  static_cast<long long>(mark.size));
    std::ofstream(folder + "/" + spoolName(1) + ".spool")
        << journal::line("cmdvorn-spool 1") << journal::line("P 1")
        << journal::line(std::string("S 0 0 ") + punches.c_str()) << journal::line(markLine);
    // The kill came after the first line reached the file.
    std::ofstream(punches, std::ios::app) << "t1 a\n";

    recoverSpools(run_.context);
    EXPECT_EQ(readFile(punches), "before\nt1 a\nt1 b\n");
    EXPECT_TRUE(folderEmpty());
}
