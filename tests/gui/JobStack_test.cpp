#include "JobStack.h"

#include "CommandId.h"

#include <gtest/gtest.h>

namespace {

constexpr int kRun = 3, kClose = 9, kOther = 5;

// Terminals the stack only carries, never uses.
Vorn* terminal(int n) { return reinterpret_cast<Vorn*>(static_cast<std::uintptr_t>(0x1000 * n)); }

CommandPlan twoTerminalsTwoCommands(bool sync) {
    CommandPlan plan;
    plan.anyCommand = true;
    plan.timeServiceSync = sync;
    for (int t : {1, 2})
        for (CommandId id : {CommandId::DownloadAndClear, CommandId::Version}) plan.jobs.push_back({0, id, terminal(t), {}, t});
    return plan;
}

}  // namespace

TEST(JobStack, JobsComeOutInCommandLineOrderThenTheTimeServiceThenTheClose) {
    JobStack stack(kRun, kClose);
    stack.load(twoTerminalsTwoCommands(true));
    ASSERT_EQ(stack.count(), 6);

    std::vector<BatchJob> order;
    for (auto next = stack.next(); !next.empty(); next = stack.next()) {
        ASSERT_EQ(next.size(), 1u);
        order.push_back(next.front());
    }
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order[0].terminal, terminal(1));
    EXPECT_EQ(order[0].commandId, CommandId::DownloadAndClear);
    EXPECT_EQ(order[1].terminal, terminal(1));
    EXPECT_EQ(order[1].commandId, CommandId::Version);
    EXPECT_EQ(order[2].terminal, terminal(2));
    EXPECT_EQ(order[2].commandId, CommandId::DownloadAndClear);
    EXPECT_EQ(order[3].terminal, terminal(2));
    EXPECT_EQ(order[3].commandId, CommandId::Version);
    EXPECT_EQ(order[4].commandId, CommandId::PcClockFromTimeService);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(order[i].message, kRun);
    EXPECT_EQ(order[5].message, kClose);
    EXPECT_TRUE(stack.next().empty());
}

TEST(JobStack, OnlySpecialCommandsLeaveTheCloseAlone) {
    CommandPlan plan;
    plan.anyCommand = true;
    plan.help = true;
    JobStack stack(kRun, kClose);
    stack.load(plan);
    auto next = stack.next();
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].message, kClose);
}

TEST(JobStack, APoppedJobThatIsNotARunFlushesEverythingLeft) {
    JobStack stack(kRun, kClose);
    stack.load(twoTerminalsTwoCommands(false));
    stack.push({kOther, CommandId::None, nullptr, {}, 0});
    auto next = stack.next();
    ASSERT_EQ(next.size(), 6u);
    EXPECT_EQ(next[0].message, kOther);
    EXPECT_EQ(next[1].commandId, CommandId::DownloadAndClear);
    EXPECT_EQ(next[1].terminal, terminal(1));
    EXPECT_EQ(next[4].terminal, terminal(2));
    EXPECT_EQ(next[5].message, kClose);
    EXPECT_EQ(stack.count(), 0);
}
