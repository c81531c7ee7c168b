// Cmdv32: the console build of the command tool. It runs its command line
// on the configured terminals and exits.
#include "ConsoleBreakDialog.h"
#include "ConsoleQuestion.h"
#include "HelpText.h"
#include "Platform.h"
#include "Session.h"

#include <cstdio>
#include <cstring>

namespace {

class ConsoleFrontEnd : public FrontEnd, public InfoSink {
public:
    InfoSink* infoSink() override { return this; }
    void addInfoLine(const char* line) override {
        std::printf("%s\n", line);
        std::fflush(stdout);
    }
    void showHelp(const RunState& state) override { printHelp(stdout, state); }
    BREAKDLG_C& breakDialog() override { return dialog_; }
    void showMessage(const char* caption, const char* text) override {
        std::fprintf(stderr, "%s: %s\n", caption, text);
    }
    bool askYesNo(const char* caption, const char* text) override { return askOnTerminal(caption, text); }
    bool chooseFile(const FileChoice& choice, zString& path) override { return chooseFileOnTerminal(choice, path); }

private:
    ConsoleBreakDialog dialog_;
};

}  // namespace

int main(int argc, char** argv) {
    ConsoleFrontEnd frontEnd;
    Session session("Cmdv32", frontEnd);
    RunState& state = session.state();

    if (answerStandardWord(state.programName.c_str(), argc, argv)) return 0;
    if (argc < 2) {
        state.version = programVersion();
        state.platform = platformDescription();
        frontEnd.showHelp(state);
        return 0;
    }

    zString commandLine;
    for (int i = 1; i < argc; ++i) {
        commandLine += argv[i];
        commandLine += " ";
    }

    ConsoleBreakDialog::installInterruptHandler();
    if (!session.beginRun(commandLine)) return Session::kResultFileFailedExit;
    if (!session.initialise()) return 1;
    return session.runInConsole(commandLine);
}
