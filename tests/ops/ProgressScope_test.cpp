// The progress dialog of a transfer: opened with its caption and total,
// moved step by step, the operator's stop reported to the job, and closed
// exactly once however the transfer ends.
#include "ProgressScope.h"

#include "InProcessRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class CountingDialog : public BREAKDLG_C {
public:
    void open(const char* text, int, int) override {
        caption = text ? text : "";
        ++opens;
    }
    bool pump() override { return ++pumps == stopAtPump; }
    void setText(const char*) override {}
    void addLine(const char*) override {}
    void showBar(int r, unsigned) override { range = r; }
    void setBar(int position, const char* text) override {
        positions.push_back(position);
        texts.emplace_back(text ? text : "");
    }
    void close() override { ++closes; }

    int stopAtPump = 0;  // 0: the operator never stops
    int pumps = 0, opens = 0, closes = 0, range = -1;
    std::string caption;
    std::vector<int> positions;
    std::vector<std::string> texts;
};

class ProgressScopeTest : public ::testing::Test {
protected:
    ProgressScopeTest() {
        job.run = &context;
        job.terminal = nullptr;
    }
    void TearDown() override { std::filesystem::remove(logPath); }

    std::string logPath = std::filesystem::temp_directory_path() / ("progress_" + std::to_string(getpid()) + ".log");
    InProcessRun run{logPath};
    // The run, seen through a dialog that counts what it is told.
    CountingDialog dialog;
    RunContext context{run.log, run.manager, run.parameters, run.settings, dialog, run.info, run.state};
    CMDARG_C job;
};

bool transferEndingEarly(CMDARG_C& job) {
    ProgressScope progress(job, "caption", 3, "Item:");
    progress.advance(1);
    return false;
}

void transferThrowing(CMDARG_C& job) {
    ProgressScope progress(job, "caption", 3, "Item:");
    progress.advance(1);
    throw std::runtime_error("lost");
}

}  // namespace

TEST_F(ProgressScopeTest, OpensWithCaptionAndTotalAndShowsEachStep) {
    {
        ProgressScope progress(job, "[Term 001]: Ricez. 2 Timbrature", 2, "Timbratura:");
        EXPECT_EQ(dialog.opens, 1);
        EXPECT_EQ(dialog.caption, "[Term 001]: Ricez. 2 Timbrature");
        EXPECT_EQ(dialog.range, 2);
        progress.advance(1);
        progress.advance(2);
        EXPECT_EQ(dialog.closes, 0);
    }
    EXPECT_EQ(dialog.positions, (std::vector<int>{1, 2}));
    EXPECT_EQ(dialog.texts, (std::vector<std::string>{"Timbratura: 1/2", "Timbratura: 2/2"}));
    EXPECT_EQ(dialog.closes, 1);
}

TEST_F(ProgressScopeTest, ClosesOnAnEarlyReturn) {
    EXPECT_FALSE(transferEndingEarly(job));
    EXPECT_EQ(dialog.opens, 1);
    EXPECT_EQ(dialog.closes, 1);
}

TEST_F(ProgressScopeTest, ClosesWhenAnExceptionLeavesTheTransfer) {
    EXPECT_THROW(transferThrowing(job), std::runtime_error);
    EXPECT_EQ(dialog.closes, 1);
}

TEST_F(ProgressScopeTest, AnEarlyCloseIsTheOnlyOne) {
    {
        ProgressScope progress(job, "caption", 1, "Item:");
        progress.close();
        EXPECT_EQ(dialog.closes, 1);
        progress.close();
    }
    EXPECT_EQ(dialog.closes, 1);
}

TEST_F(ProgressScopeTest, TheOperatorsStopIsReportedAsTheJobsResult) {
    dialog.stopAtPump = 2;
    ProgressScope progress(job, "caption", 5, "Item:");
    EXPECT_FALSE(progress.stopped());
    EXPECT_EQ(job.result, RunError::None);
    EXPECT_TRUE(progress.stopped());
    EXPECT_EQ(job.result, RunError::Interrupted);
    EXPECT_EQ(run.state.errorCode, RunError::Interrupted);
}
