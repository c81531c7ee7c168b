#include "CommandLine.h"
#include "RunPlan.h"
#include "VornMgr.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

// Plans of command lines for terminals the parameter file does not name: the
// numbers asked for are kept, which is all the order needs.
class RunPlanTest : public ::testing::Test {
protected:
    RunPlanTest() : path(std::filesystem::temp_directory_path() / ("runplan_" + std::to_string(getpid()) + ".log")) {}
    ~RunPlanTest() override { std::filesystem::remove(path); }

    RunPlan plan(const char* line, const RunRules& rules) {
        ParsedCommandLine parsed;
        CommandLineParser(log, state, settings).parse(line, parsed);
        return makeRunPlan(line, parsed, manager, rules);
    }
    // Each step as "start", "sync", or "<terminal>:<command id>".
    static std::vector<std::string> steps(const RunPlan& plan) {
        std::vector<std::string> out;
        for (const BatchJob& step : plan.steps) {
            switch (step.step) {
            case StepKind::SessionStart: out.push_back("start"); break;
            case StepKind::TimeServiceSync: out.push_back("sync"); break;
            case StepKind::TerminalCommand:
                out.push_back(std::to_string(step.terminalNumber) + ":" + std::to_string(code(step.commandId)));
                break;
            }
        }
        return out;
    }

    std::filesystem::path path;
    zLogger log{path.c_str()};
    RunState state;
    RunSettings settings;
    VornMgr manager{log};
};

TEST_F(RunPlanTest, TheConsoleSynchronisesFirstAndTheWindowLast) {
    const char* line = "-sync -n1 -n2 -r -v -h";
    RunPlan console = plan(line, kConsoleRules);
    EXPECT_EQ(steps(console), (std::vector<std::string>{"sync", "start", "1:12", "1:3", "2:12", "2:3"}));
    RunPlan window = plan(line, kWindowRules);
    EXPECT_EQ(steps(window), (std::vector<std::string>{"start", "1:12", "1:3", "2:12", "2:3", "sync"}));
    for (const RunPlan* p : {&console, &window}) {
        EXPECT_TRUE(p->anyCommand);
        EXPECT_TRUE(p->help);
        EXPECT_EQ(p->firstTerminalCommand, CommandId::DownloadAndClear);
        const BatchJob& first = p->steps[p == &console ? 2 : 1];
        EXPECT_EQ(first.option, zString("-r"));
        EXPECT_EQ(first.terminal, nullptr);  // no terminal 1 here: dispatch reports it
    }
}

TEST_F(RunPlanTest, SpecialCommandsAloneOpenNoSession) {
    RunPlan only = plan("-h -sync -SYNC", kConsoleRules);
    EXPECT_TRUE(only.anyCommand);
    EXPECT_TRUE(only.help);
    EXPECT_FALSE(only.hasTerminalCommands());
    // The synchronisation runs once, reported as last spelled.
    ASSERT_EQ(steps(only), std::vector<std::string>{"sync"});
    EXPECT_EQ(only.steps[0].option, zString("-SYNC"));

    RunPlan nothing = plan("-q", kWindowRules);
    EXPECT_FALSE(nothing.anyCommand);
    EXPECT_TRUE(nothing.steps.empty());
}

}  // namespace
