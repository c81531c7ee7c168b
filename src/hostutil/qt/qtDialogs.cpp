// libMIRTADLL-qt.so: the message box and print dialog of libMIRTADLL, kept in
// a library of their own so that only hosts that need them load Qt.
#include "../mirtadll.h"
#include "../qtPart.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QThread>

#include <xcb/xcb.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using hostutil::PrintDialogRequest;

namespace {

QApplication* runningApplication() {
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

bool onApplicationThread(const QApplication* app) {
    return app && QThread::currentThread() == app->thread();
}

// Qt ends the process when its platform cannot start, so the X display is
// tried first. A platform the host names explicitly is trusted.
bool displayReachable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}

void applyFlags(QPrintDialog& dialog, QPrinter& printer, std::uint32_t flags) {
    dialog.setOption(QAbstractPrintDialog::PrintSelection, !(flags & MIRTA_PD_NOSELECTION));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, !(flags & MIRTA_PD_NOPAGENUMS));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, !(flags & MIRTA_PD_DISABLEPRINTTOFILE));
    if (flags & MIRTA_PD_SELECTION) printer.setPrintRange(QPrinter::Selection);
    if (flags & MIRTA_PD_PAGENUMS) printer.setPrintRange(QPrinter::PageRange);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int mirtaQtShowMessage(const char* title,
                                                                        const char* text) {
    QApplication* app = runningApplication();
    if (!onApplicationThread(app)) return 0;
    QMessageBox::warning(nullptr, QString::fromLocal8Bit(title), QString::fromLocal8Bit(text));
    return 1;
}

extern "C" __attribute__((visibility("default"))) void mirtaQtWaitCursor(int on) {
    if (!onApplicationThread(runningApplication())) return;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

extern "C" __attribute__((visibility("default"))) int mirtaQtPrintDialog(
    PrintDialogRequest* request) {
    // Use the host's application on its own thread, or a short-lived one of
    // our own when the host runs no Qt at all.
    std::unique_ptr<QApplication> own;
    if (QCoreApplication::instance()) {
        if (!onApplicationThread(runningApplication())) return -1;
    } else {
        // Qt wants its application on the process's main thread.
        if (gettid() != getpid() || !displayReachable()) return -1;
        static int argc = 1;
        static char name[] = "MIRTADLL";
        static char* argv[] = {name, nullptr};
        own = std::make_unique<QApplication>(argc, argv);
    }

    QPrinter printer;
    if (request->copies > 0) printer.setCopyCount(request->copies);
    if (request->flags & MIRTA_PD_RETURNDEFAULT) {
        std::strncpy(request->queue, printer.printerName().toLocal8Bit().constData(),
                     sizeof request->queue - 1);
        return printer.printerName().isEmpty() ? 0 : 1;
    }
    QPrintDialog dialog(&printer);
    if (request->fromPage > 0 && request->fromPage <= request->toPage) {
        printer.setFromTo(request->fromPage, request->toPage);
        dialog.setMinMax(request->fromPage, request->toPage);
    }
    applyFlags(dialog, printer, request->flags);
    if (dialog.exec() != QDialog::Accepted) return 0;

    std::strncpy(request->queue, printer.printerName().toLocal8Bit().constData(),
                 sizeof request->queue - 1);
    request->copies = printer.copyCount();
    request->fromPage = printer.fromPage();
    request->toPage = printer.toPage();
    return 1;
}
