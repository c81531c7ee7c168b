#include "JobStack.h"

#include "CommandId.h"

#include <gtest/gtest.h>

namespace {

constexpr int kRun = 3, kClose = 9, kOther = 5;

// Terminals the stack only carries, never uses.
Vorn* terminal(int n) { return reinterpret_cast<Vorn*>(static_cast<std::uintptr_t>(0x1000 * n)); }

// The window's plan of "-n1 -n2 -r -v [-sync]", the session start left out.
RunPlan twoTerminalsTwoCommands(bool sync) {
    RunPlan plan{.rules = kWindowRules};
    plan.anyCommand = true;
    for (int t : {1, 2})
        for (CommandId id : {CommandId::DownloadAndClear, CommandId::Version}) plan.steps.push_back({0, id, terminal(t), {}, t});
    if (sync) plan.steps.push_back({0, CommandId::PcClockFromTimeService, nullptr, "-sync", 0, StepKind::TimeServiceSync});
    return plan;
}

}  // namespace

TEST(JobStack, StepsComeOutInThePlansOrderThenTheClose) {
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
    RunPlan plan{.rules = kWindowRules};
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
