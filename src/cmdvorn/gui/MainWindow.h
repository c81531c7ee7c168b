#pragma once
// Wcmdv32's main window: the terminal chooser, the "Results" and "Error Log"
// lists, the menu, and the run of a command line as a batch of jobs posted
// to the window one at a time. Without a command line the operator picks a
// terminal and a command; no result file is written then.
#include "JobStack.h"
#include "MainMenu.h"
#include "OperatorBoxes.h"
#include "Session.h"
#include "UserBreakDialog.h"

#include <QEvent>
#include <QFont>
#include <QMainWindow>

#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class TerminalDialog;

// The window's own messages, posted to itself.
enum class WindowMessage : int {
    MenuCommand = QEvent::User + 1,
    RunCommandLine = QEvent::User + 2,
    RunJob = QEvent::User + 3,
    Close = QEvent::User + 4,
};

class MainWindow : public QMainWindow, public FrontEnd, public InfoSink, public zLogSink {
    Q_OBJECT
public:
    static constexpr const char* kProgramName = "Wcmdv32";

    explicit MainWindow(OperatorBoxes& boxes);
    ~MainWindow() override;

    // Posts the initialisation and, when the command line is not blank, the
    // command line to run.
    void start(const zString& commandLine);

    // Menu items and buttons arrive here.
    void menuCommand(int id);

    Session& session() { return session_; }
    UserBreakDialog& userBreak() { return breakDialog_; }
    QComboBox* chooser() const { return chooser_; }
    QListWidget* results() const { return results_; }
    QListWidget* errorLog() const { return errorLog_; }
    const MainMenu& menu() const { return *menu_; }
    // The close handling has run (result file written, run released).
    bool isClosed() const { return closed_; }
    // The process's exit code once closed: 0, or the strict exit's code
    // after a failed terminal.
    int exitCode() const { return exitCode_; }

    // FrontEnd
    void showHelp(const RunState& state) override;
    BREAKDLG_C& breakDialog() override { return breakDialog_; }
    InfoSink* infoSink() override { return this; }
    zLogSink* logSink() override { return this; }
    void showMessage(const char* caption, const char* text) override;
    bool askYesNo(const char* caption, const char* text) override;
    bool chooseFile(const FileChoice& choice, zString& path) override;
    // The window's table has the fingerprint commands.
    std::span<const DISPATCHER_C> commands() const override { return windowCommandTable(); }
    // InfoSink: the "Results" list.
    void addInfoLine(const char* line) override;
    // zLogSink: the "Error Log" list.
    void addLogLine(const char* line) override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void post(WindowMessage message, const BatchJob& job = {}, const zString& text = {}, int menuId = 0);
    void initialise();
    void runCommandLine(const zString& commandLine);
    void runJob(const BatchJob& job);
    void postNextJobs();
    // The run cannot go on: a box for a bad command line or terminal number,
    // then the window closes.
    void fatal(RunError error);
    void updateCommandItems();
    // The terminal chosen in the chooser, or nullptr.
    Vorn* selectedTerminal();
    // A command item on the selected terminal: the parameter dialogs for
    // EEPROM and VORN-L parameters, a dispatch for everything else.
    void commandItem(CommandId id);
    void showParameterDialog(TerminalDialog& dialog);
    // Runs one dispatch; a close asked for meanwhile happens after it.
    template <typename Run>
    void running(Run run);

    OperatorBoxes& boxes_;
    Session session_;
    UserBreakDialog breakDialog_;
    JobStack jobs_;
    RunPlan plan_ = RunPlan{.rules = kWindowRules};  // empty in interactive runs
    std::unique_ptr<MainMenu> menu_;
    QComboBox* chooser_ = nullptr;
    QListWidget* results_ = nullptr;
    QListWidget* errorLog_ = nullptr;
    QLabel* programName_ = nullptr;
    QLabel* programVersion_ = nullptr;
    QPushButton* versionButton_ = nullptr;
    QPushButton* parametersButton_ = nullptr;
    std::unique_ptr<QFont> resultsFont_;
    bool initialised_ = false;
    int dispatching_ = 0;
    bool closePending_ = false;
    bool closed_ = false;
    int exitCode_ = 0;
};
