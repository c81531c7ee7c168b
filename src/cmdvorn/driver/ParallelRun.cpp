#include "ParallelRun.h"

#include "LinkProgress.h"
#include "OutputSpool.h"
#include "RecordWriter.h"
#include "RestartJournal.h"
#include "RestartRecovery.h"
#include "RunContext.h"
#include "Vorn.h"
#include "VornMgr.h"
#include "zSerialPort.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kParallelLine = "Collegamenti in parallelo: %d collegamenti, al massimo %d insieme";
constexpr const char* kAloneLine = "Collegamenti in parallelo non usati: %s deve girare da solo";
constexpr const char* kSpooledLine = "%s Registrazioni salvate in %s: accodate ai file alla prossima esecuzione";

// Commands whose only traces on the PC are the record files, the log,
// information lines and the result: the run can put them in plan order
// afterwards. The others (files of their own, the PC clock, questions to
// the operator) make the whole run sequential.
bool runsBesideOthers(CommandId id) {
    switch (id) {
        case CommandId::CountPunches:
        case CommandId::DownloadAndClear:
        case CommandId::DownloadAndKeep:
        case CommandId::DownloadJobs:
        case CommandId::CountRecoverable:
        case CommandId::RecoverPunches:
        case CommandId::CountEmployees:
        case CommandId::UploadAssociatedEmployees:
        case CommandId::UploadAllEmployees:
        case CommandId::UploadPersonalData:
        case CommandId::SetClock:
        case CommandId::ReadClock:
        case CommandId::SendDaylight:
        case CommandId::ReadDaylight:
        case CommandId::Version:
            return true;
        default:
            return false;
    }
}

bool onALink(const BatchJob& step) { return step.step == StepKind::TerminalCommand && step.terminal; }

// What a terminal's exchanges go through: terminals with the same key share
// one thread, in plan order.
std::string linkKey(const Vorn& terminal) {
    // One driver binding serves every concentrator terminal of the run.
    if (terminal.connectionKind() == ConnectionKind::Rlx40) return "concentrator";
    const zCommDev* link = terminal.getLink();
    if (!link) return "terminal " + std::to_string(terminal.terminalNumber());
    if (link->kind() == LinkKind::SerialPort) {
        // Ports that share an interrupt line cannot be open at once.
        const int irq = static_cast<const zSerialPort*>(link)->irq();
        if (irq != 0) return "irq " + std::to_string(irq);
    }
    char key[32];
    std::snprintf(key, sizeof key, "link %p", static_cast<const void*>(link));
    return key;
}

// The plan's terminal commands by link, links in the order of their first
// command, each link's commands in plan order.
std::vector<std::vector<std::size_t>> linksOf(const RunPlan& plan) {
    std::vector<std::string> keys;
    std::vector<std::vector<std::size_t>> links;
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        if (!onALink(plan.steps[i])) continue;
        const std::string key = linkKey(*plan.steps[i].terminal);
        auto at = std::find(keys.begin(), keys.end(), key);
        if (at == keys.end()) {
            keys.push_back(key);
            links.emplace_back();
            at = keys.end() - 1;
        }
        links[static_cast<std::size_t>(at - keys.begin())].push_back(i);
    }
    return links;
}

// Information lines kept until the terminal's turn.
class HeldInfo : public InfoSink {
public:
    void addInfoLine(const char* line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// A terminal command between its link's thread and the run's thread.
struct Slot {
    ParallelRun::Finished finished;
    std::unique_ptr<SpoolSet> spool;
    std::vector<std::string> info;
    std::exception_ptr error;
    bool done = false;  // guarded by Shared::mutex
};

struct Shared {
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<Slot> slots;
    std::atomic<bool> abandoned{false};  // a thread ended in an exception: nothing more begins
};

// Spool names sort by run, then by plan position.
std::string runStamp() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%016llx",
                  static_cast<unsigned long long>(now.tv_sec) * 1000000000ull + static_cast<unsigned long long>(now.tv_nsec));
    return stamp;
}

}  // namespace

bool ParallelRun::suits(const RunPlan& plan, RunContext& run) {
    if (!run.settings().parallelLinks) return false;
    for (const BatchJob& step : plan.steps) {
        if (step.step != StepKind::TerminalCommand || runsBesideOthers(step.commandId)) continue;
        run.log().log(kAloneLine, step.option.c_str());
        return false;
    }
    return linksOf(plan).size() >= 2;
}

ParallelRun::ParallelRun(RunContext& run, std::span<const DISPATCHER_C> commands) : run_(run), commands_(commands) {}

void ParallelRun::run(const RunPlan& plan, const RunHere& runHere, const Note& note) {
    const std::vector<BatchJob>& steps = plan.steps;
    std::size_t turn = 0;
    // The session's first lines (and the time service) come before any link's.
    for (; turn < steps.size() && !onALink(steps[turn]); ++turn) runHere(steps[turn]);
    if (turn == steps.size()) return;

    // Journals and spools a killed run left are settled before anything is written.
    if (std::any_of(steps.begin(), steps.end(), [](const BatchJob& s) { return isDownloadCommand(s.commandId); }))
        recoverRestartJournals(run_);

    const std::vector<std::vector<std::size_t>> links = linksOf(plan);
    const int linkCount = static_cast<int>(links.size());
    const int maxLinks = run_.settings().maxParallelLinks;
    const int width = maxLinks > 0 ? std::min(maxLinks, linkCount) : linkCount;
    run_.log().log(kParallelLine, linkCount, width);

    Shared shared;
    shared.slots.resize(steps.size());
    // Taken now: the run's own state changes as outcomes come in.
    const RunState initial = run_.state();
    const std::string stamp = runStamp();
    LinkBoard board(run_.dialog());
    std::atomic<std::size_t> nextLink{0};

    auto work = [&](const std::vector<std::size_t>& link) {
        LinkDialog dialog(board);
        HeldInfo held;
        InfoOutput info(run_.log());
        info.setSink(&held);
        RunState state = initial;
        RunContext context(run_.log(), run_.manager(), run_.parameters(), run_.settings(), dialog, info, state);
        context.writerRun().journalsRecovered = true;  // settled above, before any link began
        TmbFiles_c& files = context.writerRun().files;

        for (std::size_t index : link) {
            const BatchJob& step = steps[index];
            Slot& slot = shared.slots[index];
            Vorn& terminal = *step.terminal;
            zLogger::ThreadLabel label(terminal.label().c_str());
            dialog.setTerminal(terminal.terminalNumber());
            terminal.setDialDialog(&dialog);
            slot.finished.job.terminal = &terminal;
            slot.finished.job.id = step.commandId;
            slot.finished.started = ReportClock::now();
            try {
                if (shared.abandoned.load() || board.stopRequested()) {
                    // Stopped before it began: it fails as a stopped command does, and touches nothing.
                    context.reportError(RunError::Interrupted, &terminal);
                    slot.finished.code = RunError::Interrupted;
                } else {
                    char name[24];
                    std::snprintf(name, sizeof name, "-%05zu", index);
                    slot.spool = std::make_unique<SpoolSet>(state.dataDirectory, stamp + name, terminal.terminalNumber());
                    files.setRedirect(slot.spool.get());
                    dispatch(context, &terminal, step.commandId, commands_, &slot.finished.job);
                    slot.finished.code = state.errorCode;
                }
            } catch (...) {
                slot.error = std::current_exception();
                shared.abandoned.store(true);
            }
            files.closeAll();
            files.setRedirect(nullptr);
            terminal.setDialDialog(run_.manager().breakDialog());
            slot.finished.ended = ReportClock::now();
            slot.finished.job.run = nullptr;
            slot.info = std::move(held.lines);
            held.lines.clear();
            {
                std::lock_guard<std::mutex> lock(shared.mutex);
                slot.done = true;
            }
            shared.finished.notify_all();
        }
    };

    std::vector<std::jthread> threads;
    threads.reserve(static_cast<std::size_t>(width));
    for (int t = 0; t < width; ++t)
        threads.emplace_back([&] {
            for (std::size_t l; (l = nextLink.fetch_add(1)) < links.size();) work(links[l]);
        });

    bool appendFailed = false;
    for (; turn < steps.size(); ++turn) {
        const BatchJob& step = steps[turn];
        if (!onALink(step)) {
            runHere(step);
            continue;
        }
        Slot& slot = shared.slots[turn];
        {
            std::unique_lock<std::mutex> lock(shared.mutex);
            shared.finished.wait(lock, [&] { return slot.done; });
        }
        if (slot.error) std::rethrow_exception(slot.error);

        if (slot.spool && !slot.spool->empty()) {
            auto report = [&](RunError error, const char* text1, const char* text2) {
                run_.reportError(error, step.terminal, text1, text2);
                slot.finished.code = error;
            };
            // After a failed append the later spools wait too, so that the files keep the order.
            if (appendFailed || !slot.spool->commit(run_.writerRun().files, report)) {
                appendFailed = true;
                run_.log().log(zLogger::Error, kSpooledLine, step.terminal->label().c_str(),
                               journal::directoryOf(run_.state().dataDirectory).c_str());
                slot.finished.code = RunError::FileWrite;
            }
            run_.writerRun().files.closeAll();
        }
        for (const std::string& line : slot.info) run_.info().line("%s", line.c_str());
        note(step, slot.finished);
    }
    // A run that was not killed leaves no folder behind (nor does it when spools wait in it).
    ::rmdir(journal::directoryOf(run_.state().dataDirectory).c_str());
}
