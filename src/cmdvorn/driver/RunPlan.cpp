#include "RunPlan.h"

#include "CommandLine.h"
#include "Vorn.h"
#include "VornMgr.h"

#include <cstdlib>

RunPlan makeRunPlan(const zString& commandLine, const ParsedCommandLine& parsed, VornMgr& manager,
                    const RunRules& rules) {
    RunPlan plan;
    plan.rules = rules;
    plan.commandLine = commandLine;
    plan.anyCommand = !parsed.commands.empty();

    std::vector<CommandId> commands;
    std::vector<zString> options;
    std::vector<BatchJob> timeService;
    for (std::size_t i = 0; i < parsed.commands.size(); ++i) {
        CommandId id = parsed.commands[i];
        if (id == CommandId::Help) {
            plan.help = true;
        } else if (id == CommandId::PcClockFromTimeService) {
            // Once, however often it is asked for; the last spelling is reported.
            timeService.assign(1, {0, id, nullptr, parsed.options[i], 0, StepKind::TimeServiceSync});
        } else {
            commands.push_back(id);
            options.push_back(parsed.options[i]);
        }
    }
    const bool syncFirst = rules.timeService == RunRules::TimeService::BeforeTerminalCommands;
    if (syncFirst) plan.steps = timeService;
    if (!commands.empty()) {
        plan.firstTerminalCommand = commands.front();
        plan.steps.push_back({0, CommandId::None, nullptr, {}, 0, StepKind::SessionStart});
        auto addJobsFor = [&](Vorn* terminal, int number) {
            for (std::size_t c = 0; c < commands.size(); ++c)
                plan.steps.push_back({0, commands[c], terminal, options[c], number, StepKind::TerminalCommand});
        };
        if (!parsed.terminals.empty()) {
            for (const zString& text : parsed.terminals) {
                int number = std::atoi(text.c_str());
                addJobsFor(manager.findTerminal(number), number);
            }
        } else {
            for (int t = 0; t < manager.terminalCount(); ++t)
                addJobsFor(manager.terminalAt(t), manager.terminalAt(t)->terminalNumber());
        }
    }
    if (!syncFirst) plan.steps.insert(plan.steps.end(), timeService.begin(), timeService.end());
    return plan;
}
