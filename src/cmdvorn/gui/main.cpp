// Wcmdv32: the windowed build of the command tool. With a command line it
// runs it and closes by itself; without one the operator drives it.
#include "HelpText.h"
#include "MainWindow.h"
#include "OperatorBoxes.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Answered before any window or display is looked for.
    if (answerStandardWord(MainWindow::kProgramName, argc, argv)) return 0;
    // Taken before Qt sees the arguments, so none of them is read as Qt's own.
    zString commandLine;
    for (int i = 1; i < argc; ++i) {
        commandLine += argv[i];
        commandLine += " ";
    }
    // A calling application on a machine without a screen still gets its run.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    ModalBoxes modal;
    HeadlessBoxes headless;
    OperatorBoxes& boxes = HeadlessBoxes::platformIsHeadless() ? static_cast<OperatorBoxes&>(headless) : modal;
    MainWindow window(boxes);
    window.show();
    window.start(commandLine);
    app.exec();
    return window.exitCode();
}
