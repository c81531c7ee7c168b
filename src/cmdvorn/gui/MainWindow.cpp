#include "MainWindow.h"

#include "CommandTable.h"
#include "EepromDialog.h"
#include "FndException.h"
#include "Platform.h"
#include "TerminalChooser.h"
#include "VornLParamDialog.h"
#include "VornMgr.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cassert>

namespace {

// One posted window message with what it carries.
class MessageEvent : public QEvent {
public:
    MessageEvent(WindowMessage message, const BatchJob& job, const zString& text, int menuId)
        : QEvent(static_cast<QEvent::Type>(message)), job(job), text(text), menuId(menuId) {}
    BatchJob job;
    zString text;
    int menuId;
};

bool isBlank(const zString& text) {
    for (const char* c = text.c_str(); *c; ++c)
        if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n') return false;
    return true;
}

QString latin1(const char* text) { return QString::fromLatin1(text ? text : ""); }

QListWidget* addList(QWidget* parent, QVBoxLayout* layout, const char* title, const char* name) {
    auto* box = new QGroupBox(title, parent);
    auto* inner = new QVBoxLayout(box);
    auto* list = new QListWidget(box);
    list->setObjectName(name);
    inner->addWidget(list);
    layout->addWidget(box, 1);
    return list;
}

}  // namespace

MainWindow::MainWindow(OperatorBoxes& boxes)
    : boxes_(boxes),
      session_(kProgramName, *this),
      breakDialog_(this),
      jobs_(static_cast<int>(WindowMessage::RunJob), static_cast<int>(WindowMessage::Close)) {
    setObjectName("MAIN_DLG");
    setWindowTitle("WCMDVORN");
    menu_ = std::make_unique<MainMenu>(*menuBar(), [this](int id) { menuCommand(id); });

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* terminalRow = new QGridLayout;
    terminalRow->addWidget(new QLabel("Terminal:", central), 1, 0);
    terminalRow->addWidget(new QLabel("Nr.", central), 0, 1);
    terminalRow->addWidget(new QLabel("Descrizione", central), 0, 2);
    chooser_ = new QComboBox(central);
    chooser_->setObjectName("terminalChooser");
    terminalRow->addWidget(chooser_, 1, 1, 1, 2);
    terminalRow->setColumnStretch(2, 1);
    layout->addLayout(terminalRow);
    connect(chooser_, &QComboBox::currentIndexChanged, this, [this] { updateCommandItems(); });

    results_ = addList(central, layout, "Results", "Results");
    errorLog_ = addList(central, layout, "Error Log", "ErrorLog");

    auto* bottom = new QHBoxLayout;
    programName_ = new QLabel(kProgramName, central);
    programName_->setObjectName("ProgName");
    bottom->addWidget(programName_);
    bottom->addWidget(new QLabel("Ver.", central));
    programVersion_ = new QLabel(central);
    programVersion_->setObjectName("ProgVer");
    bottom->addWidget(programVersion_);
    bottom->addStretch(1);
    versionButton_ = new QPushButton("Versione", central);
    parametersButton_ = new QPushButton("Parametri", central);
    auto* exitButton = new QPushButton("Esce", central);
    connect(versionButton_, &QPushButton::clicked, this, [this] { menuCommand(menuIdOfCommand(CommandId::Version)); });
    connect(parametersButton_, &QPushButton::clicked, this, [this] { menuCommand(menuIdOfCommand(CommandId::ReceiveParameters)); });
    connect(exitButton, &QPushButton::clicked, this, [this] { menuCommand(kMenuClose); });
    for (QPushButton* button : {versionButton_, parametersButton_, exitButton}) bottom->addWidget(button);
    layout->addLayout(bottom);

    setCentralWidget(central);
    resize(640, 480);
    updateCommandItems();
}

MainWindow::~MainWindow() {
    if (session_.log()) session_.log()->setListSink(nullptr);
}

void MainWindow::start(const zString& commandLine) {
    post(WindowMessage::MenuCommand, {}, {}, kMenuInitialise);
    session_.state().commandLineMode = !isBlank(commandLine);
    if (!session_.state().commandLineMode) return;
    session_.beginRun(commandLine);
    post(WindowMessage::RunCommandLine, {}, commandLine);
}

void MainWindow::post(WindowMessage message, const BatchJob& job, const zString& text, int menuId) {
    QCoreApplication::postEvent(this, new MessageEvent(message, job, text, menuId));
}

bool MainWindow::event(QEvent* event) {
    auto* message = dynamic_cast<MessageEvent*>(event);
    if (!message) return QMainWindow::event(event);
    switch (static_cast<WindowMessage>(event->type())) {
    case WindowMessage::MenuCommand:
        menuCommand(message->menuId);
        break;
    case WindowMessage::RunCommandLine:
        runCommandLine(message->text);
        break;
    case WindowMessage::RunJob:
        runJob(message->job);
        break;
    case WindowMessage::Close:
        close();
        break;
    }
    return true;
}

void MainWindow::menuCommand(int id) {
    switch (id) {
    case kMenuClose:
    case kMenuExit:
        close();
        return;
    case kMenuConfigurationFile:
        boxes_.openFile(QString::asprintf("%s/%s", session_.state().parameterDirectory.c_str(),
                                          Session::kParameterFileName));
        return;
    case kMenuViewLog:
        if (session_.log()) boxes_.openFile(latin1(session_.log()->path().c_str()));
        return;
    case kMenuInitialise:
        initialise();
        return;
    case kMenuHelp:
        showHelp(session_.state());
        return;
    case kMenuAbout:
        boxes_.about(this, session_.state());
        return;
    default:
        if (isCommandItem(id)) commandItem(commandOfMenuId(id));
    }
}

void MainWindow::commandItem(CommandId id) {
    Vorn* terminal = selectedTerminal();
    if (!initialised_ || !terminal) return;
    const bool parameters = id == CommandId::ReceiveParameters || id == CommandId::SendParameters;
    if (parameters && terminal->model() == TerminalModel::VornL) {
        VornLParamDialog dialog(*session_.manager(), session_.context()->parameters(), chooser_->currentIndex(), boxes_,
                                this);
        showParameterDialog(dialog);
    } else if (id == CommandId::ReadEeprom || id == CommandId::WriteEeprom) {
        EepromDialog dialog(*session_.manager(), chooser_->currentIndex(), boxes_, this);
        showParameterDialog(dialog);
    } else {
        running([&] { dispatch(*session_.context(), terminal, id, commands()); });
    }
}

void MainWindow::showParameterDialog(TerminalDialog& dialog) {
    dialog.onTerminalUsed = [this](int index) { chooser_->setCurrentIndex(index); };
    running([&] { boxes_.showModal(dialog); });
}

void MainWindow::initialise() {
    if (!resultsFont_) {
        resultsFont_ = std::make_unique<QFont>("Courier New", 10, QFont::Thin);
        resultsFont_->setStyleHint(QFont::TypeWriter);
        resultsFont_->setFixedPitch(true);
        results_->setFont(*resultsFont_);
    }
    initialised_ = false;
    updateCommandItems();
    programVersion_->setText(latin1(programVersion().c_str()));
    programName_->setText(kProgramName);

    bool ok = false;
    try {
        ok = session_.initialise();
    } catch (const FndException& e) {
        boxes_.message(this, OperatorBoxes::Icon::Warning, "Exception", latin1(e.message().c_str()));
    } catch (...) {
        boxes_.message(this, OperatorBoxes::Icon::Warning, "InitCmdv", "Unknown Exception");
    }
    initialised_ = ok;
    // A configuration that failed to load offers no terminal.
    fillChooser(*chooser_, ok ? session_.manager() : nullptr);
    updateCommandItems();
    if (!ok) {
        // A calling application must not read a failed start as success.
        if (session_.state().errorCode == RunError::None) session_.state().errorCode = RunError::InvalidParameter;
        fatal(RunError::InvalidParameter);
    }
}

void MainWindow::updateCommandItems() {
    bool enabled = initialised_ && chooser_->currentIndex() >= 0;
    menu_->enableCommands(enabled);
    versionButton_->setEnabled(enabled);
    parametersButton_->setEnabled(enabled);
}

Vorn* MainWindow::selectedTerminal() {
    VornMgr* manager = session_.manager();
    int index = chooser_->currentIndex();
    if (!manager || index < 0 || index >= manager->terminalCount()) return nullptr;
    return manager->terminalAt(index);
}

template <typename Run>
void MainWindow::running(Run run) {
    ++dispatching_;
    run();
    --dispatching_;
    if (closePending_ && dispatching_ == 0) close();
}

void MainWindow::runCommandLine(const zString& commandLine) {
    if (!initialised_ || closed_) return;
    plan_ = session_.plan(commandLine, kWindowRules);
    if (!plan_.anyCommand) {
        fatal(RunError::InvalidParameter);
        return;
    }
    if (plan_.help) showHelp(session_.state());
    jobs_.load(plan_);
    postNextJobs();
}

void MainWindow::runJob(const BatchJob& job) {
    if (!initialised_ || closed_) return;
    running([&] { session_.runStep(job); });
    if (session_.state().commandLineMode && !closed_) postNextJobs();
}

void MainWindow::postNextJobs() {
    for (const BatchJob& job : jobs_.next()) post(static_cast<WindowMessage>(job.message), job);
}

void MainWindow::fatal(RunError error) {
    if (error == RunError::InvalidParameter || error == RunError::BadTerminalNumber) {
        boxes_.message(this, OperatorBoxes::Icon::Error, kProgramName, "Errore fatale - Impossibile continuare!");
        post(WindowMessage::Close);
    } else {
        close();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (dispatching_ > 0) {
        // The running command stops as if "Esce" was pressed; the window
        // closes once it has returned.
        closePending_ = true;
        breakDialog_.cancel();
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
        results_->setFont(font());
        resultsFont_.reset();
        exitCode_ = session_.finish(plan_, exitCode_);
        if (session_.log()) session_.log()->setListSink(nullptr);
        session_.release();
    }
    event->accept();
}

void MainWindow::showHelp(const RunState& state) { boxes_.help(this, state); }

void MainWindow::showMessage(const char* caption, const char* text) {
    boxes_.message(this, OperatorBoxes::Icon::Warning, latin1(caption), latin1(text));
}

bool MainWindow::askYesNo(const char* caption, const char* text) {
    return boxes_.question(this, latin1(caption), latin1(text));
}

bool MainWindow::chooseFile(const FileChoice& choice, zString& path) {
    QString filter = QString("%1 (%2)").arg(latin1(choice.filterName), latin1(choice.pattern));
    QString proposed = QDir::current().filePath(latin1(choice.proposedName));
    QString chosen = boxes_.openFileName(this, latin1(choice.title), filter, proposed);
    if (chosen.isEmpty()) return false;
    path = zString(chosen.toLocal8Bit().constData());
    return true;
}

void MainWindow::addInfoLine(const char* line) {
    results_->addItem(latin1(line));
    results_->setCurrentRow(results_->count() - 1);
}

void MainWindow::addLogLine(const char* line) {
    errorLog_->addItem(latin1(line));
    errorLog_->setCurrentRow(errorLog_->count() - 1);
}
