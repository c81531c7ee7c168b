#include "JobStack.h"

#include "CommandTable.h"

void JobStack::load(const RunPlan& plan) {
    stack_.push({closeMessage_, CommandId::None, nullptr, {}, 0});
    for (auto job = plan.steps.rbegin(); job != plan.steps.rend(); ++job) {
        BatchJob queued = *job;
        queued.message = runMessage_;
        stack_.push(queued);
    }
}

std::vector<BatchJob> JobStack::next() {
    std::vector<BatchJob> posted;
    if (stack_.isEmpty()) return posted;
    posted.push_back(stack_.pop());
    if (posted.front().message != runMessage_)
        while (!stack_.isEmpty()) posted.push_back(stack_.pop());
    return posted;
}
